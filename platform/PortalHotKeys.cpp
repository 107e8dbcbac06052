#include "platform/PortalHotKeys.h"

#include "platform/Logging.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>

namespace linecal {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kShortcutId = QStringLiteral("open-entry-dialog");
constexpr int kAskTimeoutMs = 1000;

struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut) {
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut) {
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

}  // namespace
}  // namespace linecal

Q_DECLARE_METATYPE(linecal::Shortcut)

namespace linecal {

std::unique_ptr<PortalHotKeys> PortalHotKeys::create(QDBusConnection bus) {
    if (!bus.isConnected() || !bus.interface()) return nullptr;
    // A portal without the interface (or none at all) answers the version with an error.
    QDBusMessage ask = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << kInterface << QStringLiteral("version");
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kAskTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage) return nullptr;
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    return std::unique_ptr<PortalHotKeys>(new PortalHotKeys(bus));
}

PortalHotKeys::PortalHotKeys(QDBusConnection bus) : bus_(std::move(bus)) {
    // The whole message, read here: an unregistered argument type would drop the signal silently.
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this, SLOT(activated(QDBusMessage)));
}

QString PortalHotKeys::trigger(const QString& key, int flags) {
    return joinedHotKey(
        key.toLower(), flags,
        {QStringLiteral("CTRL"), QStringLiteral("ALT"), QStringLiteral("SHIFT"), QStringLiteral("LOGO")});
}

HotKeyStatus PortalHotKeys::registerHotKey(const QString& key, int, int flags) {
    trigger_ = trigger(key, flags);
    if (!session_.isEmpty()) {
        bind();
    } else if (pendingRequest_.isEmpty()) {
        QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("linecal")}};
        if (!request(QStringLiteral("CreateSession"), {}, options, SLOT(sessionCreated(uint, QVariantMap))))
            return HotKeyStatus::Unsupported;
    }
    return HotKeyStatus::Pending;
}

void PortalHotKeys::bind() {
    const QList<Shortcut> shortcuts{{kShortcutId,
                                     {{QStringLiteral("description"), QStringLiteral("Open the linecal entry dialog")},
                                      {QStringLiteral("preferred_trigger"), trigger_}}}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()}, {},
            SLOT(shortcutsBound(uint, QVariantMap)));
}

bool PortalHotKeys::request(const QString& method, QList<QVariant> arguments, QVariantMap options, const char* answer) {
    const QString token = QStringLiteral("linecal%1").arg(++tokens_);
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    pendingRequest_ = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus_.connect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this, answer);
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments << options);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kAskTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    qCWarning(lcApp, "the desktop portal refused %s: %s", qUtf8Printable(method), qUtf8Printable(reply.errorMessage()));
    bus_.disconnect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this, answer);
    pendingRequest_.clear();
    return false;
}

void PortalHotKeys::sessionCreated(uint response, const QVariantMap& results) {
    bus_.disconnect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this,
                    SLOT(sessionCreated(uint, QVariantMap)));
    pendingRequest_.clear();
    session_ = results.value(QStringLiteral("session_handle")).toString();
    if (response != 0 || session_.isEmpty()) {
        qCWarning(lcApp, "the desktop portal gave no session for global shortcuts (answer %u)", response);
        emit statusChanged(HotKeyStatus::Unsupported);
        return;
    }
    bind();
}

void PortalHotKeys::shortcutsBound(uint response, const QVariantMap& results) {
    bus_.disconnect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this,
                    SLOT(shortcutsBound(uint, QVariantMap)));
    pendingRequest_.clear();
    description_.clear();
    const auto shortcuts = qdbus_cast<QList<Shortcut>>(results.value(QStringLiteral("shortcuts")));
    for (const Shortcut& shortcut : shortcuts) {
        if (shortcut.id == kShortcutId)
            description_ = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    }
    // 1: the user said no; 2: the desktop could not.
    emit statusChanged(response == 0 ? HotKeyStatus::Active : HotKeyStatus::Taken);
}

void PortalHotKeys::activated(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2) return;
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    if (session == session_ && arguments.at(1).toString() == kShortcutId) emit pressed(0);
}

}  // namespace linecal
