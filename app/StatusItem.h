// The tray item: the icon, its menu, and the pulse drawn by re-rendering the icon.
#pragma once

#include "app/IconPulse.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QTimer>

class QMenu;
class QSystemTrayIcon;

namespace linecal {

class StatusItem : public QObject {
    Q_OBJECT
public:
    // `menu` stays the caller's; the item shows it on a click as well as on the context button.
    explicit StatusItem(QMenu* menu, QObject* parent = nullptr);
    ~StatusItem() override;

    void setToolTip(const QString& text);
    // A passing message from the tray, for what no window shows.
    void showMessage(const QString& text);
    void pulse(const QColor& color, int count);
    bool isPulsing() const { return pulse_.isRunning(); }

    // The icon as drawn `nowMs` after the item's clock started; for the pulse and for tests.
    QImage render(std::int64_t nowMs);
    std::int64_t clockMs() const { return clock_.elapsed(); }

    // The pixels the icon is drawn at (it is scaled by the tray).
    static constexpr int kIconSize = 64;

private:
    void redraw();
    void setHighlighted(bool highlighted);

    QMenu* menu_;
    QSystemTrayIcon* tray_;
    QIcon icon_;
    bool highlighted_ = false;
    IconPulse pulse_;
    QElapsedTimer clock_;
    QTimer frames_;
};

}  // namespace linecal
