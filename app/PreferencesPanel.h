// The preferences window: every setting of linecal, each applied and stored as it changes. It
// shows and reports; the controller decides.
#pragma once

#include "items/CalendarMenu.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace linecal {

class HotkeyField;

class PreferencesPanel : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesPanel(QWidget* parent = nullptr);

    QCheckBox* alarmCheckbox;
    QLineEdit* alarmMinutesField;
    QComboBox* alarmTypeDropdown;
    QWidget* alarmSoundView;
    QComboBox* alarmSoundDropdown;
    QWidget* alarmEmailView;
    QComboBox* alarmEmailDropdown;
    QLineEdit* defaultEventLengthField;
    QComboBox* calendarDropdown;
    QComboBox* numericDatesDropdown;  // 0 as the locale says, 1 the other way round
    HotkeyField* hotKeyField;
    QCheckBox* launchCheckbox;
    QCheckBox* menuIconButton;
    QCheckBox* usageCheckbox;
    QLabel* usageYesField;
    QLabel* usageNoField;
    QLabel* versionField;
    QPushButton* emailButton;
    QPushButton* issuesButton;
    QPushButton* webButton;
    QPushButton* storeButton;
    QLabel* supportProblemField;  // why a support address did not open, in red; hidden otherwise

    // Shows the support buttons that have an address; the row goes when none has.
    void showSupportButtons(bool mail, bool issues, bool web, bool softwareCentre);
    // Says in the panel why an address did not open; empty hides the line.
    void setSupportProblem(const QString& text);

    // Replaces the calendar list; headings are bold and cannot be chosen.
    void setCalendarMenu(const std::vector<CalendarMenuEntry>& menu);
    // The identifier of the calendar at this position of the list; empty for headings.
    QString calendarAt(int index) const;
    // The e-mail list: the addresses, or one "No address" that cannot be chosen.
    void setEmails(const QStringList& emails);
    // What the alarm type shows beside it: a message needs no sound; an e-mail shows its address
    // instead of a sound. `typeIndex` 0 message, 1 sound, 2 e-mail.
    void showAlarmKind(int typeIndex);
    // A number field's text, replaced by the number it starts with, without an edit signal.
    static void showNumber(QLineEdit* field, std::int32_t value);

private:
    QWidget* alarmSection();
    QWidget* eventSection();
    QWidget* systemSection();
    QWidget* aboutSection();

    QWidget* supportRow_ = nullptr;  // the support buttons' row
};

}  // namespace linecal
