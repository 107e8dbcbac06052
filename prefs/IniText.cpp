#include "prefs/IniText.h"

namespace linecal {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A key or group as QSettings decodes it: "\" is "/", "%XX" and "%UXXXX" are code points.
QString unescapedKey(const QByteArray& raw) {
    const QString text = QString::fromUtf8(raw);
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == text.size() - 1) {
            out += c;
            ++i;
            continue;
        }
        const bool wide = text[i + 1] == u'U';
        const qsizetype first = i + (wide ? 2 : 1), digits = wide ? 4 : 2;
        bool ok = false;
        const ushort code = first + digits <= text.size() ? text.mid(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            out += u'%';
            ++i;
            continue;
        }
        out += QChar(code);
        i = first + digits;
    }
    return out;
}

QString groupOf(const QByteArray& raw) {
    if (raw.compare("general", Qt::CaseInsensitive) == 0) return {};
    if (raw.compare("%general", Qt::CaseInsensitive) == 0) return QString::fromUtf8(raw.mid(1));
    return unescapedKey(raw);
}

}  // namespace

std::optional<IniText::Line> IniText::parseLine(QByteArray text, const QString& group, QString* problem) {
    Line line;
    line.text = text;
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);  // a byte order mark before the first line
    const QByteArray trimmed = text.trimmed();
    if (text.contains('\r')) {
        *problem = QStringLiteral("a carriage return inside the line");
        return std::nullopt;
    }
    if (trimmed.isEmpty()) {
        line.kind = Line::Blank;
    } else if (trimmed.startsWith(';')) {
        line.kind = Line::Comment;
    } else if (trimmed.startsWith('[')) {
        if (!trimmed.endsWith(']')) {
            *problem = QStringLiteral("a group header without its closing bracket");
            return std::nullopt;
        }
        line.kind = Line::Group;
        line.group = groupOf(trimmed.mid(1, trimmed.size() - 2).trimmed());
    } else {
        const qsizetype equals = text.indexOf('=');
        if (equals <= 0 || text.left(equals).trimmed().isEmpty()) {
            *problem = QStringLiteral("neither a setting, a [group] nor a ; comment");
            return std::nullopt;
        }
        line.kind = Line::Key;
        line.group = group;
        const QString key = unescapedKey(text.left(equals).trimmed());
        line.key = group.isEmpty() ? key : group + u'/' + key;
        // The value runs to a ';' outside quotes; one left open, or a backslash at the end,
        // would carry it onto the next line.
        const qsizetype offset = line.text.size() - text.size();
        qsizetype i = equals + 1;
        while (i < text.size() && isBlank(text[i])) ++i;
        line.valueStart = offset + i;
        bool quoted = false;
        for (; i < text.size() && (quoted || text[i] != ';'); ++i) {
            if (text[i] == '\\') {
                if (++i == text.size()) break;
            } else if (text[i] == '"') {
                quoted = !quoted;
            }
        }
        if (quoted || (i == text.size() && text.endsWith('\\'))) {
            *problem = QStringLiteral("a value that goes on over the next line");
            return std::nullopt;
        }
        qsizetype end = i;
        while (end > line.valueStart - offset && isBlank(text[end - 1])) --end;
        line.valueEnd = offset + end;
    }
    return line;
}

std::optional<IniText> IniText::parse(const QByteArray& bytes, QString* problem) {
    IniText ini;
    QString group;
    for (qsizetype start = 0, number = 1; start < bytes.size(); ++number) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0) end = bytes.size();
        const bool crlf = end > start && end < bytes.size() && bytes[end - 1] == '\r';
        if (crlf && number == 1) ini.newline_ = "\r\n";
        QString why;
        auto line = parseLine(bytes.mid(start, end - start - (crlf ? 1 : 0)), group, &why);
        if (!line) {
            if (problem) *problem = QStringLiteral("line %1: %2").arg(number).arg(why);
            return std::nullopt;
        }
        line->end = bytes.mid(end - (crlf ? 1 : 0), next - end + (crlf ? 1 : 0));
        if (line->kind == Line::Group) group = line->group;
        ini.lines_.push_back(std::move(*line));
        start = next;
    }
    return ini;
}

QStringList IniText::keys() const {
    QStringList keys;
    for (const Line& line : lines_) {
        if (line.kind == Line::Key && !keys.contains(line.key)) keys.append(line.key);
    }
    return keys;
}

std::optional<IniText::Entry> IniText::entry(const QString& key) const {
    QByteArray header = "[General]";
    std::optional<Entry> found;
    for (const Line& line : lines_) {
        if (line.kind == Line::Group) header = line.text.trimmed();
        if (line.kind != Line::Key || line.key != key) continue;
        const qsizetype equals = line.text.indexOf('=');
        found = Entry{header, line.text.left(equals).trimmed(),
                      line.text.mid(line.valueStart, line.valueEnd - line.valueStart)};
    }
    return found;
}

void IniText::set(const QString& key, const Entry& spelled) {
    bool found = false;
    std::optional<std::size_t> lastOfGroup, headerOfGroup;
    const QString group = key.contains(u'/') ? key.left(key.lastIndexOf(u'/')) : QString();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Line::Group && line.group == group) headerOfGroup = i;
        if (line.kind == Line::Key && line.group == group) lastOfGroup = i;
        if (line.kind != Line::Key || line.key != key) continue;
        line.text = line.text.left(line.valueStart) + spelled.value + line.text.mid(line.valueEnd);
        line.valueEnd = line.valueStart + spelled.value.size();
        found = true;
    }
    if (found) return;
    Line added;
    added.kind = Line::Key;
    added.text = spelled.key + '=' + spelled.value;
    added.end = newline_;
    added.group = group;
    added.key = key;
    added.valueStart = spelled.key.size() + 1;
    added.valueEnd = added.text.size();
    if (!lines_.empty() && lines_.back().end.isEmpty()) lines_.back().end = newline_;
    // Keys before any header have no group, like those under [General]: either is the place.
    const std::optional<std::size_t> after = lastOfGroup ? lastOfGroup : headerOfGroup;
    if (after) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*after) + 1, std::move(added));
        return;
    }
    if (!lines_.empty() && lines_.back().kind != Line::Blank)
        lines_.push_back(Line{Line::Blank, {}, newline_, {}, {}, 0, 0});
    lines_.push_back(Line{Line::Group, spelled.header, newline_, group, {}, 0, 0});
    lines_.push_back(std::move(added));
}

QByteArray IniText::bytes() const {
    QByteArray out;
    for (const Line& line : lines_) out += line.text + line.end;
    return out;
}

}  // namespace linecal
