// One linecal-app per user session: a later start hands its request to the running one and
// ends. Through a D-Bus name when there is a session bus, else a local socket in the runtime
// folder guarded by a lock file.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace linecal {

// Requests a later start can hand over.
inline constexpr char kShowCommand[] = "show";
inline constexpr char kPrefsCommand[] = "prefs";
inline constexpr char kReopenCommand[] = "reopen";

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,    // this process is the instance; requests arrive as `commandReceived`
        Secondary,  // the running instance took `command`; this process should end
        Failed,     // neither could be done (the reason is logged)
    };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // `token` is what the desktop gave this start to activate windows with (may be empty).
    Role claim(const QString& command, const QString& token);

    // Which channel a claim used; for the log and for tests.
    QString channel() const { return channel_; }

signals:
    void commandReceived(const QString& command, const QString& token);

private:
    Role claimOnBus(const QString& command, const QString& token, bool* busUsable);
    Role claimLocally(const QString& command, const QString& token);
    void acceptConnection();

    QString channel_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace linecal
