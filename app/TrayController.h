// The tray item's controller and the global hot key's: the menu, the icon and its pulse, and
// the hot key as stored, registered and shown.
#pragma once

#include "app/AppServices.h"
#include "prefs/Preferences.h"

#include <QObject>

#include <memory>

class QAction;
class QKeyEvent;
class QMenu;

namespace linecal {

class StatusItem;

class TrayController : public QObject {
    Q_OBJECT
public:
    TrayController(const AppServices& services, Preferences& prefs, QObject* parent = nullptr);
    ~TrayController() override;

    QMenu* menu() const { return menu_.get(); }
    StatusItem* menuItem() const { return menuItem_.get(); }
    QAction* vorlaMenuItem() const { return vorlaMenuItem_; }
    QAction* launchCalItem() const { return launchCalItem_; }

    // Shows or removes the tray item as the settings and the desktop allow.
    void updateMenuIcon();
    void removeMenuIcon();
    void pulseIcon(const QColor& color, int count);
    // "New Entry…" is offered while there is a calendar to save into.
    void setCanAdd(bool can);
    void setCalendarProgram(const QString& name, bool available);

    // ---- the hot key
    // The stored hot key, found on this keyboard, stored back and registered.
    void applyStoredHotKey();
    void registerHotKeys();
    void showHotKeyStatus(HotKeyStatus status);
    HotKeyStatus hotKeyStatus() const { return hotKeyStatus_; }
    QString hotKeyShortcut() const;  // "Ctrl+Alt+R", as the desktop writes keys
    QString trayToolTip() const;     // says whether the hot key works
    // A key press offered as the new hot key; true when it became it.
    bool takeHotKeyPress(const QKeyEvent& event);

signals:
    void dialogRequested(std::uint32_t time);
    void launchRequested();
    void preferencesRequested();
    void quitRequested();
    void menuAboutToShow();
    // The hot key or whether it works changed: `working` while it is active or being agreed.
    void hotKeyShown(const QString& keys, bool working);

private:
    void syncHotKeys(const HotKeySetting& key);

    const AppServices& services_;
    Preferences& prefs_;
    std::unique_ptr<QMenu> menu_;
    QAction* vorlaMenuItem_ = nullptr;
    QAction* launchCalItem_ = nullptr;
    std::unique_ptr<StatusItem> menuItem_;
    HotKeyStatus hotKeyStatus_ = HotKeyStatus::Unsupported;
};

}  // namespace linecal
