// The preferences' hot-key field: it shows the hot key and takes the next key press as a new one.
#pragma once

#include <QLineEdit>

#include <functional>

namespace linecal {

class HotkeyField : public QLineEdit {
    Q_OBJECT
public:
    explicit HotkeyField(QWidget* parent = nullptr);

    // Asked with every key press while the field has the focus; true when the press became the
    // new hot key. Other presses go on to the field (Tab still moves on).
    std::function<bool(const QKeyEvent&)> onKeyPress;

    // The hot key as the desktop writes keys, the same in the tool tip, and whether the desktop took it.
    void showHotKey(const QString& keys, const QString& names, bool active);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace linecal
