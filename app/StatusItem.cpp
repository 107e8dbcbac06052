#include "app/StatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSystemTrayIcon>

namespace linecal {
namespace {

constexpr int kFrameMs = 33;

}  // namespace

StatusItem::StatusItem(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) {
    // A tray embedded through XEmbed tells nothing of the panel's colour, and the program's palette
    // is not the panel's: the icon is drawn to read on a dark and on a light panel alike. It is
    // the program's own, so that an icon theme's (or an older install's) cannot undo that.
    icon_ = QIcon(QStringLiteral(":/icons/linecal-tray.svg"));
    clock_.start();
    frames_.setInterval(kFrameMs);
    connect(&frames_, &QTimer::timeout, this, &StatusItem::redraw);

    tray_ = new QSystemTrayIcon(this);
    tray_->setContextMenu(menu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) menu_->popup(QCursor::pos());
    });
    connect(menu_, &QMenu::aboutToShow, this, [this] { setHighlighted(true); });
    connect(menu_, &QMenu::aboutToHide, this, [this] { setHighlighted(false); });
    redraw();
    tray_->show();
}

StatusItem::~StatusItem() {
    tray_->hide();
    tray_->setContextMenu(nullptr);
}

void StatusItem::setToolTip(const QString& text) { tray_->setToolTip(text); }

void StatusItem::showMessage(const QString& text) {
    tray_->showMessage(QStringLiteral("linecal"), text, QSystemTrayIcon::Warning);
}

void StatusItem::setHighlighted(bool highlighted) {
    highlighted_ = highlighted;
    redraw();
}

void StatusItem::pulse(const QColor& color, int count) {
    pulse_.start(color, count, clock_.elapsed());
    // The timer runs only while a pulse does: an idle program wakes for nothing.
    if (pulse_.isRunning() && !frames_.isActive()) frames_.start();
    redraw();
}

QImage StatusItem::render(std::int64_t nowMs) {
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (highlighted_) {
        painter.fillRect(image.rect(), QGuiApplication::palette().color(QPalette::Highlight));
    }
    icon_.paint(&painter, image.rect());
    for (const PulseOverlay& overlay : pulse_.overlaysAt(nowMs)) {
        QColor color = overlay.color;
        color.setAlphaF(static_cast<float>(overlay.opacity));
        painter.fillRect(image.rect(), color);
    }
    return image;
}

void StatusItem::redraw() {
    tray_->setIcon(QIcon(QPixmap::fromImage(render(clock_.elapsed()))));
    if (!pulse_.isRunning()) frames_.stop();
}

}  // namespace linecal
