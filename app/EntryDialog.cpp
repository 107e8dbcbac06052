#include "app/EntryDialog.h"

#include "app/KeyRules.h"
#include "app/ZQButton.h"
#include "parse/EntryGrammar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace linecal {
namespace {

// Screen readers get the whole line, up to a length a person could still listen to.
constexpr qsizetype kSpokenLength = 2000;

QAccessibleInterface* failureAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("linecal::FailureLabel") || !object->isWidgetType()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
}

}  // namespace

FailureLabel::FailureLabel(const QString& role, QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(failureAccessible);
        return true;
    }();
    (void)installed;
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, Qt::red);
    setPalette(red);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAccessibleDescription(role);
}

void FailureLabel::setMessage(const QString& message) {
    setText(message);
    setAccessibleName(message);
}

PreviewLabel::PreviewLabel(const QString& role, QWidget* parent) : QLabel(parent) {
    setAccessibleDescription(role);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    // A long line must not widen the dialog; it is cut to the width instead.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(1);
}

void PreviewLabel::setLine(const QString& line, const QColor& color, qsizetype middleFrom, qsizetype middleLength) {
    line_ = line;
    const bool inside = middleFrom >= 0 && middleLength > 0 && middleFrom + middleLength <= line.size();
    middleFrom_ = inside ? middleFrom : 0;
    middleLength_ = inside ? middleLength : 0;
    QPalette palette = parentWidget() ? parentWidget()->palette() : QPalette();
    if (color.isValid()) palette.setColor(foregroundRole(), color);
    setPalette(palette);
    setAccessibleName(line.size() > kSpokenLength ? line.left(kSpokenLength) + QChar(0x2026) : line);
    elide();
}

void PreviewLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void PreviewLabel::elide() {
    const QFontMetrics metrics = fontMetrics();
    const int room = qMax(1, width());
    if (middleLength_ > 0) {
        // Measuring a huge title costs as much as drawing it; its two ends are all that can show.
        QString middle = line_.mid(middleFrom_, middleLength_);
        if (middle.size() > 1000) middle = middle.left(500) + QChar(0x2026) + middle.right(500);
        const QString before = line_.left(middleFrom_), after = line_.mid(middleFrom_ + middleLength_);
        const int left = room - metrics.horizontalAdvance(before + after);
        if (left >= metrics.horizontalAdvance(QStringLiteral("MM\u2026"))) {
            setText(before + metrics.elidedText(middle, Qt::ElideMiddle, left) + after);
            return;
        }
    }
    // Measuring a huge line costs as much as drawing it; no more than a screen's worth is looked at.
    const QString visible = line_.size() > 1000 ? line_.left(1000) : line_;
    setText(metrics.elidedText(visible, Qt::ElideRight, room));
}

OtherReadingLabel::OtherReadingLabel(QWidget* parent) : QLabel(parent) {
    setAccessibleName(QStringLiteral("Other reading"));
    setForegroundRole(QPalette::PlaceholderText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Alt+Down takes this reading, Alt+Up gives the entry back"));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(1);
}

void OtherReadingLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit clicked();
}

EntryDialog::EntryDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("linecal"));
    // It floats over the work it interrupts, so it cannot get lost behind another window.
    // A small entry window of fixed size: a title and a close button, no maximise or minimise.
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setMinimumWidth(520);

    titleField = new QLineEdit(this);
    titleField->setAccessibleName(QStringLiteral("Entry"));
    titleField->setMaxLength(std::numeric_limits<int>::max());
    titleField->setPlaceholderText(QStringLiteral("Lunch with Anna tomorrow 12:30 at Cafe Rio"));
    // Otherwise the example stands in for the description, read out even over the user's text.
    titleField->setAccessibleDescription(
        QStringLiteral("One line for an event or to-do; the lines below show what it becomes."));
    QFont entryFont = titleField->font();
    entryFont.setPointSizeF(entryFont.pointSizeF() * 1.35);
    titleField->setFont(entryFont);
    titleField->setMinimumHeight(QFontMetrics(entryFont).height() + 14);

    eventField = new PreviewLabel(QStringLiteral("Preview"), this);
    alarmField = new PreviewLabel(QStringLiteral("Alarms"), this);
    alarmField->setForegroundRole(QPalette::PlaceholderText);
    failureField = new FailureLabel(QStringLiteral("Failure"), this);
    failureField->hide();
    otherField = new OtherReadingLabel(this);
    otherField->hide();
    settingsNotice = new QWidget(this);
    settingsNoticeText = new FailureLabel(QStringLiteral("Settings"), settingsNotice);
    freshSettingsButton = new QPushButton(QStringLiteral("Start with fresh settings"), settingsNotice);
    freshSettingsButton->setAutoDefault(false);
    auto* notice = new QHBoxLayout(settingsNotice);
    notice->setContentsMargins(0, 0, 0, 0);
    notice->addWidget(settingsNoticeText, 1);
    notice->addWidget(freshSettingsButton, 0, Qt::AlignTop);
    settingsNotice->hide();

    addButton = new ZQButton(this);
    helpButton = new QToolButton(this);
    helpButton->setText(QStringLiteral("?"));
    helpButton->setCheckable(true);
    helpButton->setAccessibleName(QStringLiteral("Help"));
    helpButton->setToolTip(QStringLiteral("Show or hide what an entry may hold"));
    helpBox = makeHelpBox();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(addButton);

    auto* entry = new QVBoxLayout;
    entry->setSpacing(6);
    entry->addWidget(settingsNotice);
    entry->addWidget(titleField);
    entry->addWidget(eventField);
    entry->addWidget(alarmField);
    entry->addWidget(otherField);
    entry->addWidget(failureField);
    entry->addLayout(buttons);
    // The help box sits 14 pixels below the rest, so showing or hiding it changes the
    // dialog's height by exactly its own height and those 14.
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addLayout(entry);
    layout->addWidget(helpBox);
    // The help toggle sets the height itself; the layout must not resize the window meanwhile.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    adjustSize();
    setFixedHeight(height());
    // The keyboard goes the way the eye does: the notice's button above, the entry, then the
    // row below from the left.
    setTabOrder(freshSettingsButton, titleField);
    setTabOrder(titleField, helpButton);
    setTabOrder(helpButton, addButton);

    connect(titleField, &QLineEdit::textChanged, this, &EntryDialog::textChanged);
    connect(addButton, &QPushButton::clicked, this,
            [this] { emit addRequested(isExactlyCommand(QGuiApplication::keyboardModifiers(), false)); });
    connect(helpButton, &QToolButton::clicked, this, &EntryDialog::helpClicked);
    connect(freshSettingsButton, &QPushButton::clicked, this, &EntryDialog::freshSettingsRequested);
    connect(otherField, &OtherReadingLabel::clicked, this, &EntryDialog::otherReadingTaken);
}

void EntryDialog::setSettingsNotice(const QString& text) {
    if (text.isEmpty()) {
        settingsNotice->hide();
        resizePart(noticeHeight_, 0);
        return;
    }
    settingsNoticeText->setMessage(text);
    settingsNotice->show();
    const int width = qMax(titleField->width(), minimumWidth() - 2 * layout()->contentsMargins().left());
    const int textWidth = width - freshSettingsButton->sizeHint().width() - 6;
    resizePart(noticeHeight_,
               qMax(settingsNoticeText->heightForWidth(textWidth), freshSettingsButton->sizeHint().height()) + 6);
    QAccessibleEvent alert(settingsNoticeText, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QFrame* EntryDialog::makeHelpBox() {
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setAccessibleName(QStringLiteral("What an entry may hold"));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(2);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    int row = 0;
    for (const GrammarRow& entry : kEntryGrammarRows) {
        auto* phrases = new QLabel(QString::fromUtf8(entry.phrases), box);
        auto* meaning = new QLabel(QString::fromUtf8(entry.meaning), box);
        QFont bold = small;
        bold.setBold(true);
        phrases->setFont(bold);
        meaning->setFont(small);
        grid->addWidget(phrases, row, 0);
        grid->addWidget(meaning, row, 1);
        ++row;
    }
    auto* keys =
        new QLabel(QStringLiteral("Return adds · Ctrl+Return adds and opens the calendar · Esc closes\nAlt+Down takes "
                                  "the other reading offered under the preview, Alt+Up gives it back"),
                   box);
    keys->setFont(small);
    keys->setForegroundRole(QPalette::PlaceholderText);
    grid->addWidget(keys, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    // A fixed height keeps the dialog's growth and shrinking by the box exact.
    box->setFixedHeight(box->sizeHint().height());
    return box;
}

QString EntryDialog::text() const { return titleField->text(); }

void EntryDialog::setText(const QString& text) { titleField->setText(text); }

void EntryDialog::focusEntry() {
    titleField->setFocus(Qt::OtherFocusReason);
    titleField->selectAll();
}

void EntryDialog::setCanAdd(bool can) { addButton->setEnabled(can); }

bool EntryDialog::canAdd() const { return addButton->isEnabled(); }

void EntryDialog::setCalendarProgram(const QString& name) {
    addButton->setMainTitle(QStringLiteral("Add Event to %1").arg(name));
    addButton->setOptionTitle(QStringLiteral("Add and Launch %1").arg(name));
    addButton->setToolTip(QStringLiteral("Ctrl+Return to Add and Launch %1").arg(name));
}

bool EntryDialog::isHelpShown() const { return !helpBox->isHidden(); }

void EntryDialog::setHelpShown(bool show) {
    helpButton->setChecked(show);
    if (show == isHelpShown()) return;
    if (show) helpBox->show();
    const int d = helpBox->height() + 14;
    QRect frame = geometry();
    // The top edge stays where it is; the dialog grows or shrinks at the bottom. Its height is
    // fixed otherwise: a one-line entry has nothing to gain from a taller window.
    frame.setHeight(frame.height() + (show ? d : -d));
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    setGeometry(frame);
    setFixedHeight(frame.height());
    if (!show) helpBox->hide();
}

void EntryDialog::setPreview(const QString& event, const QString& alarms, qsizetype titleFrom, qsizetype titleLength) {
    clearFailure();
    eventField->setLine(event, {}, titleFrom, titleLength);
    alarmField->setLine(alarms);
}

void EntryDialog::setRepeats(const QString& text) {
    eventField->setToolTip(text);
    alarmField->setToolTip(text);
}

void EntryDialog::setOtherReading(const QString& line) {
    if (line.isEmpty()) {
        otherField->hide();
        otherField->clear();
        otherField->setAccessibleDescription({});
        resizePart(otherHeight_, 0);
        return;
    }
    const QString shown = line.size() > 1000 ? line.left(1000) : line;
    otherField->setText(otherField->fontMetrics().elidedText(shown, Qt::ElideRight, qMax(1, titleField->width())));
    otherField->setAccessibleDescription(shown);
    if (otherField->isHidden()) {
        otherField->show();
        resizePart(otherHeight_, otherField->sizeHint().height() + 6);
    }
}

void EntryDialog::setWarning(const QString& message) { alarmField->setLine(message, QColor(Qt::red)); }

void EntryDialog::setFailure(const QString& message) {
    setOtherReading({});
    failure_ = true;
    failureField->setMessage(message);
    eventField->hide();
    alarmField->hide();
    failureField->show();
    // The two lines' room, and more if the message needs it at the width of the entry field.
    const int width = qMax(titleField->width(), minimumWidth() - 2 * layout()->contentsMargins().left());
    const int room = eventField->sizeHint().height() + alarmField->sizeHint().height() + 6;
    setExtraHeight(qMax(0, failureField->heightForWidth(width) - room));
    QAccessibleEvent alert(failureField, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void EntryDialog::clearFailure() {
    if (!failure_) return;
    failure_ = false;
    failureField->hide();
    eventField->show();
    alarmField->show();
    setExtraHeight(0);
}

void EntryDialog::setExtraHeight(int extra) { resizePart(extraHeight_, extra); }

void EntryDialog::resizePart(int& part, int needed) {
    const int change = needed - part;
    if (change == 0) return;
    part = needed;
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    setFixedHeight(height() + change);
}

void EntryDialog::setSaving(const QString& message) {
    titleField->setReadOnly(true);
    addButton->setEnabled(false);
    alarmField->setLine(message, palette().color(QPalette::PlaceholderText));
}

bool EntryDialog::isSaving() const { return titleField->isReadOnly(); }

void EntryDialog::endSaving() {
    titleField->setReadOnly(false);
    addButton->setEnabled(!text().trimmed().isEmpty());
}

void EntryDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier) emit addRequested(false);
        else if (isExactlyCommand(*event)) emit addRequested(true);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && event->modifiers() == Qt::AltModifier) {
        if (event->key() == Qt::Key_Down) emit otherReadingTaken();
        else emit otherReadingUndone();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit closeRequested();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void EntryDialog::closeEvent(QCloseEvent* event) {
    // Closing the window only hides it: the program lives on in the tray.
    event->ignore();
    emit closeRequested();
}

void EntryDialog::reject() { emit closeRequested(); }

void EntryDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Where no window manager takes the focus away, the hidden field would go on blinking its
    // cursor and wake the program twice a second for nothing. Losing the window's focus stops
    // it and keeps the selection.
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(titleField, &focusOut);
}

}  // namespace linecal
