// Starting linecal-app when the user logs in.
#pragma once

#include <QString>

#include <optional>

namespace linecal {

class LoginItems {
public:
    virtual ~LoginItems() = default;
    // Read afresh at every call: the user may change it in the desktop's own settings.
    virtual bool isLaunchAtStartup() const = 0;
    // Whether the state can be changed; when not, why (for the user).
    virtual bool canChange(QString* why) const = 0;
    // False with the reason when it could not be done; the state is then as before. The reason
    // is a cause, for the log and the check box's tool tip.
    virtual bool setLaunchAtStartup(bool launch, QString* error) = 0;
};

// The freedesktop.org autostart entry $XDG_CONFIG_HOME/autostart/linecal.desktop. It counts as
// on when it starts this very program and is not hidden. Switching on keeps an entry that was
// there before (for another copy of the program, or one the user hid) beside it under another
// name, and switching off puts it back, so on and then off leave the folder as it was.
class XdgAutostart : public LoginItems {
public:
    XdgAutostart(QString folder, QString program);
    // $XDG_CONFIG_HOME/autostart (or ~/.config/autostart).
    static QString defaultFolder();

    bool isLaunchAtStartup() const override;
    bool canChange(QString* why) const override;
    bool setLaunchAtStartup(bool launch, QString* error) override;

    QString entryPath() const;
    QString keptEntryPath() const;

private:
    QString folder_;
    QString program_;
};

// In memory; for tests.
class MemoryLoginItems : public LoginItems {
public:
    bool isLaunchAtStartup() const override { return on; }
    bool canChange(QString* why) const override;
    bool setLaunchAtStartup(bool launch, QString* error) override;

    bool on = false;
    std::optional<QString> refusal;  // when set, changes fail with this reason
};

// Quotes a program path for a desktop entry's Exec key.
QString desktopExecQuoted(const QString& program);

}  // namespace linecal
