// The entry dialog: one line of text, the preview of the item it makes, its alarms, the add
// button and the help box. It only shows and reports; the controller decides.
#pragma once

#include <QDialog>
#include <QLabel>

class QFrame;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace linecal {

class ZQButton;

// A label showing one line that may be far longer than the dialog is wide: it shows what fits
// and gives the whole line to screen readers.
class PreviewLabel : public QLabel {
    Q_OBJECT
public:
    PreviewLabel(const QString& role, QWidget* parent = nullptr);
    // An invalid colour is the palette's own. When the line is too wide, the part of
    // `middleLength` characters from `middleFrom` (the title) loses its middle, so what
    // follows it (the date and time) stays whole; without such a part the end is cut.
    void setLine(const QString& line, const QColor& color = {}, qsizetype middleFrom = 0, qsizetype middleLength = 0);
    const QString& line() const { return line_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString line_;
    qsizetype middleFrom_ = 0, middleLength_ = 0;
};

// What went wrong with a save, in red, wrapped to the dialog's width. Screen readers meet it as an
// alert, so they read it out as it appears.
class FailureLabel : public QLabel {
    Q_OBJECT
public:
    // `role` is the accessible description, which tells one such label from another.
    explicit FailureLabel(const QString& role, QWidget* parent = nullptr);
    void setMessage(const QString& message);
};

// The quiet line under the preview that offers the entry's other reading; a click takes it.
class OtherReadingLabel : public QLabel {
    Q_OBJECT
public:
    explicit OtherReadingLabel(QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class EntryDialog : public QDialog {
    Q_OBJECT
public:
    explicit EntryDialog(QWidget* parent = nullptr);

    QLineEdit* titleField;
    PreviewLabel* eventField;
    PreviewLabel* alarmField;
    FailureLabel* failureField;     // shown in place of the two lines after a failed save
    OtherReadingLabel* otherField;  // "or 12/5/10, 3:00 PM?" where the entry reads two ways
    ZQButton* addButton;
    QToolButton* helpButton;
    // Above the entry while the settings cannot be stored: why, and a way out.
    QWidget* settingsNotice;
    FailureLabel* settingsNoticeText;
    QPushButton* freshSettingsButton;
    QFrame* helpBox;

    QString text() const;
    void setText(const QString& text);
    // Focuses the entry with all of it selected, so typing replaces the last entry.
    void focusEntry();
    // The add button: off for an empty line.
    void setCanAdd(bool can);
    bool canAdd() const;
    // The calendar program's name on the add button, its option and its tool tip.
    void setCalendarProgram(const QString& name);
    // Shows or hides the help box; the dialog grows or shrinks at the bottom by its height.
    void setHelpShown(bool show);
    bool isHelpShown() const;
    // The `titleLength` characters from `titleFrom` give way when the event line is too long.
    void setPreview(const QString& event, const QString& alarms, qsizetype titleFrom = 0, qsizetype titleLength = 0);
    // The next days of a repeating entry (or why it does not repeat), shown over the preview.
    void setRepeats(const QString& text);
    // Offers the entry's other reading under the preview ("or 12/5/10?"); empty hides the line,
    // and the dialog grows and shrinks by its height.
    void setOtherReading(const QString& line);
    // Says in red, in place of the alarm line, what in the entry cannot be read as typed.
    void setWarning(const QString& message);
    // Shows what went wrong, in red and wrapped, in place of the preview and alarm lines; the
    // dialog grows when the message needs more room than they had.
    void setFailure(const QString& message);
    bool showsFailure() const { return failure_; }
    // While an item is on its way to a server: the text cannot change, the button is off and the
    // alarm line says where the item goes.
    void setSaving(const QString& message);
    void endSaving();
    bool isSaving() const;
    // Shows the settings notice with this text, or hides it when the text is empty; the dialog
    // grows and shrinks by its height.
    void setSettingsNotice(const QString& text);

signals:
    void textChanged();
    void freshSettingsRequested();
    void addRequested(bool exactlyCommand);
    void helpClicked();
    void closeRequested();
    // Alt+Down or a click on the other reading; Alt+Up gives the entry back as it was.
    void otherReadingTaken();
    void otherReadingUndone();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void reject() override;

private:
    QFrame* makeHelpBox();
    void clearFailure();
    // Grows or shrinks the fixed-height dialog by what the failure needs beyond the two lines.
    void setExtraHeight(int extra);
    // Changes the fixed height by what `part` needs now beyond what it had.
    void resizePart(int& part, int needed);
    bool failure_ = false;
    int extraHeight_ = 0;
    int noticeHeight_ = 0;
    int otherHeight_ = 0;
};

}  // namespace linecal
