#include "TestSupport.h"

#include "prefs/HotKeyText.h"
#include "prefs/UsageStats.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace linecal {
namespace {

// Which presses become a hot key, with what bits, and how it is written.
TEST(HotKeys, APressNeedsACommandModifierAndOneLetterOrDigit) {
    const struct {
        HotKeyPress press;
        int flags;  // -1: refused
        const char* names;
    } cases[] = {
        {{true, true, false, false, QStringLiteral("r")}, 2304, "Ctrl+Alt+R"},
        {{true, false, false, true, QStringLiteral("R")}, 768, "Ctrl+Shift+R"},
        {{true, true, true, true, QStringLiteral("5")}, 6912, "Ctrl+Alt+Shift+Meta+5"},
        {{false, false, true, false, QStringLiteral("k")}, 4096, "Meta+K"},
        {{false, false, false, true, QStringLiteral("r")}, -1, ""},   // Shift alone
        {{false, false, false, false, QStringLiteral("r")}, -1, ""},  // nothing at all
        {{true, false, false, false, QStringLiteral(",")}, -1, ""},   // not a letter or digit
        {{true, false, false, false, QString()}, -1, ""},             // a modifier on its own
        {{true, false, false, false, QStringLiteral("ab")}, -1, ""},  // two characters
        // Letters outside ASCII have no key of their own that the X11 grab could find.
        {{true, true, false, false, QStringLiteral("é")}, -1, ""},
        {{true, true, false, false, QStringLiteral("٣")}, -1, ""},
    };
    for (const auto& c : cases) {
        const auto choice = hotKeyFromPress(c.press);
        SCOPED_TRACE(c.press.character.toStdString());
        if (c.flags < 0) {
            EXPECT_FALSE(choice);
            continue;
        }
        ASSERT_TRUE(choice);
        EXPECT_EQ(choice->flags, c.flags);
        EXPECT_EQ(choice->key, c.press.character.toLower());
        EXPECT_EQ(hotKeyShortcut(choice->key, choice->flags).toStdString(), c.names);
    }
}

std::vector<QJsonObject> lines(const QString& path) {
    QFile file(path);
    std::vector<QJsonObject> objects;
    if (!file.open(QIODevice::ReadOnly)) return objects;
    while (!file.atEnd()) objects.push_back(QJsonDocument::fromJson(file.readLine()).object());
    return objects;
}

// Nothing is written without consent; with it, one timed line per event or property set; the
// switch outlives the run.
TEST(Usage, RecordedOnlyWithConsentAndTheSwitchIsKept) {
    testing::TempDir dir;
    const QString folder = QString::fromStdString((dir.path / "state" / "linecal").string());
    {
        LocalUsageStats usage(folder);
        EXPECT_FALSE(usage.isTrackingEnabled());
        usage.addEvent(QStringLiteral("Reminders/Yes"));
        usage.initWithProperties({{QStringLiteral("Calendars/Total"), QStringLiteral("1")}});
        EXPECT_FALSE(QFile::exists(usage.logPath()));
        usage.setTrackingEnabled(true);
        usage.addEvent(QStringLiteral("Reminders/No"));
        usage.initWithProperties({{QStringLiteral("Calendars/Total"), QStringLiteral("2")}});
    }
    LocalUsageStats again(folder);
    EXPECT_TRUE(again.isTrackingEnabled());
    again.setTrackingEnabled(false);
    again.addEvent(QStringLiteral("Help Button/Yes"));
    const auto recorded = lines(again.logPath());
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].value(QStringLiteral("event")).toString(), QStringLiteral("Reminders/No"));
    EXPECT_EQ(
        recorded[1].value(QStringLiteral("properties")).toObject().value(QStringLiteral("Calendars/Total")).toString(),
        QStringLiteral("2"));
    EXPECT_TRUE(
        QDateTime::fromString(recorded[0].value(QStringLiteral("time")).toString(), Qt::ISODateWithMs).isValid());
    EXPECT_FALSE(LocalUsageStats(folder).isTrackingEnabled());
}

}  // namespace
}  // namespace linecal
