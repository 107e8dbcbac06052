#include "app/PreferencesPanel.h"

#include "app/HotkeyField.h"
#include "parse/DateContext.h"
#include "prefs/Settings.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QIntValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace linecal {
namespace {

constexpr int kCalendarRole = Qt::UserRole + 1;

QLineEdit* numberField(const QString& name) {
    auto* field = new QLineEdit;
    field->setAccessibleName(name);
    field->setMaximumWidth(80);
    field->setAlignment(Qt::AlignRight);
    // Whole minutes from none to a week: other keys are refused as they are typed.
    field->setValidator(new QIntValidator(0, kMostMinutes, field));
    return field;
}

QComboBox* dropdown(const QString& name) {
    auto* box = new QComboBox;
    box->setAccessibleName(name);
    // On Linux, Qt names a combo box after its current value and gives its label as a relation,
    // which screen readers read; the description says what it sets in words of its own.
    box->setAccessibleDescription(name);
    return box;
}

QLabel* labelFor(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setBuddy(control);
    return label;
}

QWidget* row(std::initializer_list<QWidget*> widgets) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) layout->addWidget(widget);
    layout->addStretch(1);
    return holder;
}

QLabel* note(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// Whether "5/12" is the twelfth of May where the user is: the order numeric dates are read in.
bool localeReadsMonthFirst() {
    const std::string& order = DateContext::current().dateOrder();
    return order.find('M') < order.find('D');
}

}  // namespace

PreferencesPanel::PreferencesPanel(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("linecal Preferences"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(alarmSection());
    layout->addWidget(eventSection());
    layout->addWidget(systemSection());
    layout->addWidget(aboutSection());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* PreferencesPanel::alarmSection() {
    auto* box = new QGroupBox(QStringLiteral("Alarms"));
    auto* form = new QFormLayout(box);
    // Controls are read out by the words they show, so what is heard matches what is seen.
    alarmCheckbox = new QCheckBox(QStringLiteral("Give new items an alarm"));
    alarmMinutesField = numberField(QStringLiteral("Minutes before the start"));
    form->addRow(row(
        {alarmCheckbox, alarmMinutesField, labelFor(QStringLiteral("minutes before the start"), alarmMinutesField)}));

    alarmTypeDropdown = dropdown(QStringLiteral("Alarm type"));
    alarmTypeDropdown->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The titles at positions 1 and 2 decide the kind; they are fixed.
    alarmTypeDropdown->addItems({QStringLiteral("Message"), QStringLiteral("Sound"), QStringLiteral("Email")});
    form->addRow(QStringLiteral("Alarm type:"), alarmTypeDropdown);

    alarmSoundDropdown = dropdown(QStringLiteral("Sound"));
    alarmSoundDropdown->addItems(alarmSoundNames());
    alarmSoundView = row({labelFor(QStringLiteral("Sound:"), alarmSoundDropdown), alarmSoundDropdown});
    form->addRow(alarmSoundView);

    alarmEmailDropdown = dropdown(QStringLiteral("E-mail to"));
    alarmEmailView = row({labelFor(QStringLiteral("E-mail to:"), alarmEmailDropdown), alarmEmailDropdown});
    form->addRow(alarmEmailView);
    return box;
}

QWidget* PreferencesPanel::eventSection() {
    auto* box = new QGroupBox(QStringLiteral("New items"));
    auto* form = new QFormLayout(box);
    defaultEventLengthField = numberField(QStringLiteral("Event length"));
    form->addRow(QStringLiteral("Event length:"),
                 row({defaultEventLengthField, new QLabel(QStringLiteral("minutes, when the entry gives no end"))}));
    calendarDropdown = dropdown(QStringLiteral("Calendar"));
    calendarDropdown->setMinimumContentsLength(22);
    form->addRow(QStringLiteral("Calendar:"), calendarDropdown);
    form->addRow(note(QStringLiteral("Entries without a [calendar] of their own go there.")));
    numericDatesDropdown = dropdown(QStringLiteral("Numeric dates"));
    const bool monthFirst = localeReadsMonthFirst();
    const QString may12 = QStringLiteral("12 May"), dec5 = QStringLiteral("5 December");
    numericDatesDropdown->addItems({QStringLiteral("As the locale says (5/12 is %1)").arg(monthFirst ? may12 : dec5),
                                    QStringLiteral("The other way round (5/12 is %1)").arg(monthFirst ? dec5 : may12)});
    form->addRow(QStringLiteral("Numeric dates:"), numericDatesDropdown);
    return box;
}

QWidget* PreferencesPanel::systemSection() {
    auto* box = new QGroupBox(QStringLiteral("This computer"));
    auto* form = new QFormLayout(box);
    hotKeyField = new HotkeyField;
    hotKeyField->setMinimumWidth(160);
    form->addRow(QStringLiteral("Hot key:"), hotKeyField);
    launchCheckbox = new QCheckBox(QStringLiteral("Start linecal when I log in"));
    form->addRow(launchCheckbox);
    menuIconButton = new QCheckBox(QStringLiteral("Show the icon in the tray"));
    form->addRow(menuIconButton);
    usageCheckbox = new QCheckBox(QStringLiteral("Keep usage statistics"));
    form->addRow(usageCheckbox);
    usageYesField =
        note(QStringLiteral("Off: nothing is recorded. When on, what you use is written to a file on "
                            "this computer only; nothing is ever sent anywhere."));
    usageNoField =
        note(QStringLiteral("On: what you use is written to ~/.local/state/linecal/usage.jsonl on this "
                            "computer only; nothing is ever sent anywhere."));
    form->addRow(usageYesField);
    form->addRow(usageNoField);
    return box;
}

QWidget* PreferencesPanel::aboutSection() {
    auto* holder = new QWidget;
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    versionField = new QLabel;
    layout->addWidget(versionField);
    emailButton = new QPushButton(QStringLiteral("Write to us"));
    issuesButton = new QPushButton(QStringLiteral("Report a problem"));
    webButton = new QPushButton(QStringLiteral("Web page"));
    storeButton = new QPushButton(QStringLiteral("Software centre"));
    // Return in a field must not write an e-mail or open a web page.
    for (QPushButton* button : {emailButton, issuesButton, webButton, storeButton}) button->setAutoDefault(false);
    supportRow_ = row({emailButton, issuesButton, webButton, storeButton});
    layout->addWidget(supportRow_);
    supportProblemField = new QLabel;
    supportProblemField->setWordWrap(true);
    supportProblemField->setStyleSheet(QStringLiteral("color: #c00000;"));
    supportProblemField->setAccessibleDescription(QStringLiteral("Problem"));
    supportProblemField->hide();
    layout->addWidget(supportProblemField);
    return holder;
}

void PreferencesPanel::showSupportButtons(bool mail, bool issues, bool web, bool softwareCentre) {
    emailButton->setHidden(!mail);
    issuesButton->setHidden(!issues);
    webButton->setHidden(!web);
    storeButton->setHidden(!softwareCentre);
    supportRow_->setHidden(!(mail || issues || web || softwareCentre));
}

void PreferencesPanel::setSupportProblem(const QString& text) {
    supportProblemField->setText(text);
    supportProblemField->setHidden(text.isEmpty());
    if (text.isEmpty()) return;
    QAccessibleEvent alert(supportProblemField, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void PreferencesPanel::setCalendarMenu(const std::vector<CalendarMenuEntry>& menu) {
    const QSignalBlocker quiet(calendarDropdown);
    calendarDropdown->clear();
    auto* model = qobject_cast<QStandardItemModel*>(calendarDropdown->model());
    int selected = -1;
    for (const CalendarMenuEntry& entry : menu) {
        if (entry.kind == CalendarMenuEntry::Kind::Separator) {
            calendarDropdown->insertSeparator(calendarDropdown->count());
            continue;
        }
        const bool isCalendar = entry.kind == CalendarMenuEntry::Kind::Calendar;
        calendarDropdown->addItem(toQString(entry.text), isCalendar ? toQString(entry.calendar->uid) : QString());
        QStandardItem* item = model->item(calendarDropdown->count() - 1);
        item->setData(isCalendar, kCalendarRole);
        if (!isCalendar) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        item->setEnabled(isCalendar && entry.enabled);
        if (entry.selected) selected = calendarDropdown->count() - 1;
    }
    calendarDropdown->setCurrentIndex(selected);
}

QString PreferencesPanel::calendarAt(int index) const {
    if (index < 0 || !calendarDropdown->itemData(index, kCalendarRole).toBool()) return {};
    return calendarDropdown->itemData(index).toString();
}

void PreferencesPanel::setEmails(const QStringList& emails) {
    // A choice that cannot work is not offered; the tool tip says why.
    QStandardItem* email = qobject_cast<QStandardItemModel*>(alarmTypeDropdown->model())->item(2);
    email->setEnabled(!emails.isEmpty());
    email->setToolTip(emails.isEmpty() ? QStringLiteral("No e-mail address of yours is known: add your own contact "
                                                        "with an address in the address book")
                                       : QString());
    const QSignalBlocker quiet(alarmEmailDropdown);
    alarmEmailDropdown->clear();
    if (!emails.isEmpty()) {
        alarmEmailDropdown->addItems(emails);
        return;
    }
    alarmEmailDropdown->addItem(QStringLiteral("No address"));
    qobject_cast<QStandardItemModel*>(alarmEmailDropdown->model())->item(0)->setEnabled(false);
}

void PreferencesPanel::showAlarmKind(int typeIndex) {
    alarmSoundDropdown->setEnabled(typeIndex != 0);
    alarmSoundView->setVisible(typeIndex != 2);
    alarmEmailView->setVisible(typeIndex == 2);
}

void PreferencesPanel::showNumber(QLineEdit* field, std::int32_t value) {
    const QString text = QString::number(value);
    if (field->text() == text) return;
    const QSignalBlocker quiet(field);
    field->setText(text);
}

}  // namespace linecal
