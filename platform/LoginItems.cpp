#include "platform/LoginItems.h"

#include "modules/XdgDirs.h"
#include "platform/DesktopEntryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace linecal {
namespace {

bool sameProgram(const QString& a, const QString& b) {
    const QFileInfo x(a), y(b);
    return x.exists() && y.exists() ? x.canonicalFilePath() == y.canonicalFilePath() : a == b;
}

QByteArray entryText(const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=linecal\n"
               "Comment=Turn one line of text into a calendar event or to-do\n"
               "Exec=%1\n"
               "Icon=linecal\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecQuoted(program))
        .toUtf8();
}

}  // namespace

QString desktopExecQuoted(const QString& program) {
    QString quoted = program;
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));  // field codes
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool plain = std::none_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    if (plain) return quoted;
    QString inner;
    for (QChar c : quoted) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') inner += QLatin1Char('\\');
        inner += c;
    }
    // A string value escapes its backslashes once more.
    inner.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

XdgAutostart::XdgAutostart(QString folder, QString program)
    : folder_(std::move(folder)), program_(std::move(program)) {}

QString XdgAutostart::defaultFolder() {
    return QString::fromStdString((xdgDir(XdgDir::Config) / "autostart").string());
}

QString XdgAutostart::entryPath() const { return folder_ + QStringLiteral("/linecal.desktop"); }
// Not ending in .desktop, so that the session does not start it.
QString XdgAutostart::keptEntryPath() const { return folder_ + QStringLiteral("/linecal.desktop.before-linecal"); }

bool XdgAutostart::isLaunchAtStartup() const {
    auto facts = gio::readDesktopEntry(entryPath().toStdString());
    if (!facts || facts->hidden) return false;
    QString program = QString::fromStdString(facts->program);
    program.replace(QLatin1String("%%"), QLatin1String("%"));
    return sameProgram(program, program_);
}

bool XdgAutostart::canChange(QString* why) const {
    QFileInfo folder(folder_);
    QString problem;
    if (folder.exists() && !folder.isDir()) {
        problem =
            QStringLiteral("%1 is a file, not a folder, so the desktop cannot start linecal at login.").arg(folder_);
    } else if (folder.exists() && ::access(QFile::encodeName(folder_).constData(), W_OK | X_OK) != 0) {
        problem = QStringLiteral("The folder %1 cannot be written.").arg(folder_);
    } else if (!folder.exists()) {
        // It is made on the first switch; its nearest existing parent must take it.
        QFileInfo parent(folder.absolutePath());
        while (!parent.exists() && parent.absoluteFilePath() != QLatin1String("/"))
            parent.setFile(parent.absolutePath());
        if (!parent.isDir() || ::access(QFile::encodeName(parent.absoluteFilePath()).constData(), W_OK | X_OK) != 0)
            problem = QStringLiteral("The folder %1 cannot be made.").arg(folder_);
    }
    if (why) *why = problem;
    return problem.isEmpty();
}

bool XdgAutostart::setLaunchAtStartup(bool launch, QString* error) {
    auto fail = [error](const QString& message) {
        if (error) *error = message;
        return false;
    };
    if (QString why; !canChange(&why)) return fail(why);
    if (launch == isLaunchAtStartup()) return true;
    if (!launch) {
        if (!QFile::remove(entryPath())) return fail(QStringLiteral("%1 could not be removed.").arg(entryPath()));
        // The entry that was there before linecal's own comes back.
        if (QFile::exists(keptEntryPath())) QFile::rename(keptEntryPath(), entryPath());
        return true;
    }
    if (!QDir().mkpath(folder_)) return fail(QStringLiteral("The folder %1 could not be made.").arg(folder_));
    if (QFile::exists(entryPath()) && !QFile::exists(keptEntryPath()) && !QFile::rename(entryPath(), keptEntryPath()))
        return fail(QStringLiteral("%1 could not be set aside.").arg(entryPath()));
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(program_)) < 0 || !file.commit())
        return fail(QStringLiteral("%1 could not be written: %2.").arg(entryPath(), file.errorString()));
    return true;
}

bool MemoryLoginItems::canChange(QString* why) const {
    if (why) *why = refusal.value_or(QString());
    return !refusal;
}

bool MemoryLoginItems::setLaunchAtStartup(bool launch, QString* error) {
    if (refusal) {
        if (error) *error = *refusal;
        return false;
    }
    on = launch;
    return true;
}

}  // namespace linecal
