#include "app/ZQButton.h"

#include "app/KeyRules.h"

#include <QApplication>
#include <QKeyEvent>

namespace linecal {
namespace {

Qt::KeyboardModifier modifierOfKey(int key) {
    switch (key) {
        case Qt::Key_Control:
            return Qt::ControlModifier;
        case Qt::Key_Shift:
            return Qt::ShiftModifier;
        case Qt::Key_Alt:
            return Qt::AltModifier;
        case Qt::Key_Meta:
            return Qt::MetaModifier;
        default:
            return Qt::NoModifier;
    }
}

}  // namespace

ZQButton::ZQButton(QWidget* parent) : QPushButton(parent) {
    // Return is handled once, by the dialog; a default button would save a second time.
    setAutoDefault(false);
    setDefault(false);
    // Every input event of the dialog may change the modifiers; the button looks at each.
    qApp->installEventFilter(this);
}

void ZQButton::setMainTitle(const QString& title) {
    mainTitle_ = title;
    retitle();
}

void ZQButton::setOptionTitle(const QString& title) {
    optionTitle_ = title;
    retitle();
}

void ZQButton::followModifiers(Qt::KeyboardModifiers modifiers, bool capsLock) {
    const bool option = isExactlyCommand(modifiers, capsLock);
    if (option == showingOption_) return;
    showingOption_ = option;
    retitle();
}

void ZQButton::retitle() { setText(showingOption_ ? optionTitle_ : mainTitle_); }

bool ZQButton::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window()) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            // Platforms differ on whether a modifier key's own event carries the state from
            // before or after it; the key tells which way the state goes.
            Qt::KeyboardModifiers modifiers = key->modifiers();
            if (const Qt::KeyboardModifier own = modifierOfKey(key->key()); own != Qt::NoModifier)
                modifiers.setFlag(own, event->type() == QEvent::KeyPress);
            followModifiers(modifiers, capsLockOn(*key));
            break;
        }
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::Enter:
            followModifiers(static_cast<QInputEvent*>(event)->modifiers());
            break;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Show:
            if (widget == window()) followModifiers(QGuiApplication::queryKeyboardModifiers());
            break;
        default:
            break;
    }
    return false;
}

}  // namespace linecal
