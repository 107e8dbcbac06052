// The hot key through the desktop portal, run by portal_hotkeys.sh on a bus where the real
// portal serves a stand-in desktop. The scenario is the first argument.
#include "platform/PortalHotKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace linecal {

class PortalHotKeysTest : public QObject {
    Q_OBJECT
public:
    explicit PortalHotKeysTest(QString scenario) : scenario_(std::move(scenario)) {}

private slots:
    void triggersAreWrittenThePortalWay() {
        QCOMPARE(PortalHotKeys::trigger(QStringLiteral("R"), 2304), QStringLiteral("CTRL+ALT+r"));
        QCOMPARE(PortalHotKeys::trigger(QStringLiteral("5"), 6912), QStringLiteral("CTRL+ALT+SHIFT+LOGO+5"));
    }

    void aPortalWithoutGlobalShortcutsIsNoneQuickly() {
        if (scenario_ != QLatin1String("none")) QSKIP("another scenario");
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!PortalHotKeys::create());
        QVERIFY(timer.elapsed() < 3000);
    }

    void theShortcutIsBoundAndOpensTheDialog() {
        if (scenario_ != QLatin1String("bind")) QSKIP("another scenario");
        auto portal = PortalHotKeys::create();
        QVERIFY(portal);
        QSignalSpy status(portal.get(), &HotKeyService::statusChanged);
        QSignalSpy pressed(portal.get(), &HotKeyService::pressed);
        QCOMPARE(portal->registerHotKey(QStringLiteral("r"), 27, 2304), HotKeyStatus::Pending);
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 10000);  // it may have come already
        QCOMPARE(status.front().front().value<HotKeyStatus>(), HotKeyStatus::Active);
        QCOMPARE(portal->triggerDescription(), QStringLiteral("Press CTRL+ALT+r"));
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, 5000);

        // A new combination is bound in the same session.
        QCOMPARE(portal->registerHotKey(QStringLiteral("k"), 45, 768), HotKeyStatus::Pending);
        QTRY_COMPARE_WITH_TIMEOUT(status.size(), 2, 5000);
        QFile record(qEnvironmentVariable("LINECAL_PORTAL_TRIGGERS"));
        QVERIFY(record.open(QIODevice::ReadOnly));
        QCOMPARE(record.readAll(), QByteArray("open-entry-dialog CTRL+ALT+r\nopen-entry-dialog CTRL+SHIFT+k\n"));
    }

    void aRefusalLeavesTheHotKeyInactive() {
        if (scenario_ != QLatin1String("refused")) QSKIP("another scenario");
        auto portal = PortalHotKeys::create();
        QVERIFY(portal);
        QSignalSpy status(portal.get(), &HotKeyService::statusChanged);
        QSignalSpy pressed(portal.get(), &HotKeyService::pressed);
        portal->registerHotKey(QStringLiteral("r"), 27, 2304);
        QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty(), 10000);  // it may have come already
        QCOMPARE(status.front().front().value<HotKeyStatus>(), HotKeyStatus::Taken);
        QTest::qWait(400);
        QCOMPARE(pressed.size(), 0);
    }

private:
    QString scenario_;
};

}  // namespace linecal

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    linecal::PortalHotKeysTest suite(scenario);
    char* qtArgs[] = {argv[0]};
    return QTest::qExec(&suite, 1, qtArgs);
}

#include "PortalHotKeysTest.moc"
