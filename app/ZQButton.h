// The add button: its title names the calendar program, and while exactly Ctrl is held it reads
// as "add and launch" instead.
#pragma once

#include <QPushButton>

namespace linecal {

class ZQButton : public QPushButton {
    Q_OBJECT
public:
    explicit ZQButton(QWidget* parent = nullptr);

    const QString& mainTitle() const { return mainTitle_; }
    const QString& optionTitle() const { return optionTitle_; }
    void setMainTitle(const QString& title);
    void setOptionTitle(const QString& title);

    // Shows the title that goes with these modifiers.
    void followModifiers(Qt::KeyboardModifiers modifiers, bool capsLock = false);
    bool showsOptionTitle() const { return showingOption_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void retitle();

    QString mainTitle_;
    QString optionTitle_;
    bool showingOption_ = false;
};

}  // namespace linecal
