#include "app/HotkeyField.h"

#include <QKeyEvent>

namespace linecal {

HotkeyField::HotkeyField(QWidget* parent) : QLineEdit(parent) {
    // The text is the hot key, never typed into.
    setReadOnly(true);
    setAccessibleName(QStringLiteral("Hot key"));
    setFocusPolicy(Qt::StrongFocus);
    setPlaceholderText(QStringLiteral("Click, then press the new keys"));
}

void HotkeyField::showHotKey(const QString& keys, const QString& names, bool active) {
    setText(active ? keys : keys + QStringLiteral("  (not active)"));
    setToolTip(active ? names + QStringLiteral(". Click here, then press the new keys.")
                      : names + QStringLiteral(" is not active: another program uses it, or the desktop takes no "
                                               "hot keys. Click here, then press other keys."));
    QPalette colours = palette();
    colours.setColor(QPalette::Text, active ? QPalette().color(QPalette::Text) : QColor(Qt::red));
    setPalette(colours);
}

void HotkeyField::keyPressEvent(QKeyEvent* event) {
    if (onKeyPress && onKeyPress(*event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void HotkeyField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // The next key presses come here, even when the window was not active before the click.
    window()->activateWindow();
    setFocus(Qt::MouseFocusReason);
}

}  // namespace linecal
