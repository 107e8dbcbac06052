// The lines of an INI settings file as QSettings reads them, so that values can be changed in
// place: comments, blank lines, line ends and keys linecal does not know keep their bytes and place.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace linecal {

class IniText {
public:
    // How a key is spelled in the file: its group's header, the key and the value as written.
    struct Entry {
        QByteArray header, key, value;
    };

    // Nothing, with the line's number and what is wrong in `problem`, when a line is none of:
    // blank, a "; comment", a "[group]" header, a "key=value" whole on its line.
    static std::optional<IniText> parse(const QByteArray& bytes, QString* problem);

    // Every key as QSettings names it ("group/key"), in file order, once each.
    QStringList keys() const;
    // How the key's last line spells it; nothing when absent.
    std::optional<Entry> entry(const QString& key) const;
    // Writes `spelled.value` on every line of the key, keeping what surrounds the value there; a
    // key not yet in the file gets a line at the end of its group, the group a header at the end.
    void set(const QString& key, const Entry& spelled);

    QByteArray bytes() const;

private:
    struct Line {
        enum Kind { Blank, Comment, Group, Key } kind = Blank;
        QByteArray text, end;  // the line without its line end, and the line end
        QString group, key;    // for Key: the key's group and its full name; for Group: the group
        qsizetype valueStart = 0, valueEnd = 0;
    };
    static std::optional<Line> parseLine(QByteArray text, const QString& group, QString* problem);

    std::vector<Line> lines_;
    QByteArray newline_ = "\n";
};

}  // namespace linecal
