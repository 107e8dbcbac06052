#include "platform/SingleInstance.h"

#include "platform/Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace linecal {
namespace {

const QString kService = QStringLiteral("org.linecal.App");
const QString kPath = QStringLiteral("/org/linecal/App");
const QString kInterface = QStringLiteral("org.linecal.App");
constexpr int kCallTimeoutMs = 5000;
constexpr int kAttempts = 3;

// What the bus calls; it forwards to the instance's signal.
class BusEndpoint : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.linecal.App")
public:
    explicit BusEndpoint(SingleInstance* owner) : QObject(owner), owner_(owner) {}
public slots:
    void Command(const QString& command, const QString& token) { emit owner_->commandReceived(command, token); }

private:
    SingleInstance* owner_;
};

QString runtimePath(const char* name) {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}
SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Role SingleInstance::claim(const QString& command, const QString& token) {
    bool busUsable = false;
    Role role = claimOnBus(command, token, &busUsable);
    if (busUsable) return role;
    return claimLocally(command, token);
}

SingleInstance::Role SingleInstance::claimOnBus(const QString& command, const QString& token, bool* busUsable) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    *busUsable = bus.isConnected() && bus.interface();
    if (!*busUsable) return Role::Failed;
    channel_ = QStringLiteral("D-Bus name ") + kService;
    // The object is in place before the name is taken, so a caller that finds the name finds it.
    if (!bus.objectRegisteredAt(kPath))
        bus.registerObject(kPath, new BusEndpoint(this), QDBusConnection::ExportAllSlots);
    // A running instance may be ending just as we ask; each round either takes the name or
    // reaches its holder, and stops after a few tries.
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        auto reply = bus.interface()->registerService(kService, QDBusConnectionInterface::DontQueueService,
                                                      QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) return Role::Primary;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Command"));
        call << command << token;
        QDBusMessage answer = bus.call(call, QDBus::Block, kCallTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage) return Role::Secondary;
        qCWarning(lcApp, "could not reach the running linecal-app: %s", qUtf8Printable(answer.errorMessage()));
    }
    bus.unregisterObject(kPath);
    return Role::Failed;
}

SingleInstance::Role SingleInstance::claimLocally(const QString& command, const QString& token) {
    const QString socketPath = runtimePath("linecal-app.socket");
    channel_ = QStringLiteral("local socket ") + socketPath;
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        lock_ = std::make_unique<QLockFile>(runtimePath("linecal-app.lock"));
        lock_->setStaleLockTime(0);  // held for the life of the instance; only a dead owner frees it
        if (lock_->tryLock(0)) {
            // A killed instance leaves its socket behind; the lock says it is ours now.
            QLocalServer::removeServer(socketPath);
            server_ = new QLocalServer(this);
            server_->setSocketOptions(QLocalServer::UserAccessOption);
            if (!server_->listen(socketPath)) {
                qCWarning(lcApp, "cannot listen on %s: %s", qUtf8Printable(socketPath),
                          qUtf8Printable(server_->errorString()));
                return Role::Failed;
            }
            connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
            return Role::Primary;
        }
        lock_.reset();
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(kCallTimeoutMs)) {
            socket.write((command + QLatin1Char('\t') + token + QLatin1Char('\n')).toUtf8());
            if (socket.waitForBytesWritten(kCallTimeoutMs) && socket.waitForReadyRead(kCallTimeoutMs) &&
                socket.readLine().startsWith("ok"))
                return Role::Secondary;
        }
        qCWarning(lcApp, "could not reach the running linecal-app: %s", qUtf8Printable(socket.errorString()));
    }
    return Role::Failed;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 4096) socket->abort();  // not one of ours
                return;
            }
            const QString line = QString::fromUtf8(socket->readLine(4096)).trimmed();
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            const qsizetype tab = line.indexOf(QLatin1Char('\t'));
            emit commandReceived(line.left(tab), tab < 0 ? QString() : line.mid(tab + 1));
        });
    }
}

}  // namespace linecal

#include "SingleInstance.moc"
