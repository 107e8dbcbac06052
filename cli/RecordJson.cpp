#include "cli/RecordJson.h"

#include "cli/CliSupport.h"
#include "parse/CivilDays.h"
#include "parse/DateContext.h"
#include "parse/Recurrence.h"
#include "text/Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace linecal::cli {
namespace {

void appendDigits(std::string& out, unsigned value, int width) {
    char digits[10];
    for (int i = width - 1; i >= 0; --i, value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    out.append(digits, static_cast<std::size_t>(width));
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendEscaped(std::string& out, char32_t c) {
    static const char hex[] = "0123456789abcdef";
    switch (c) {
        case u'"':
            out += "\\\"";
            return;
        case u'\\':
            out += "\\\\";
            return;
        case u'\b':
            out += "\\b";
            return;
        case u'\f':
            out += "\\f";
            return;
        case u'\n':
            out += "\\n";
            return;
        case u'\r':
            out += "\\r";
            return;
        case u'\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (c < 0x20) {
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
    } else {
        appendUtf8(out, c);
    }
}

void appendBool(std::string& out, bool value) { out += value ? "true" : "false"; }

void appendKey(std::string& out, const char* key) {
    out += '"';
    out += key;
    out += "\":";
}

}  // namespace

void appendJsonString(std::string& out, const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    const int32_t n = text.length();
    out += '"';
    for (int32_t i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool pair = c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF;
            c = pair ? 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00) : 0xFFFD;
        }
        appendEscaped(out, c);
    }
    out += '"';
}

void appendRfc3339(std::string& out, Date date) {
    const double utc = std::floor(date.seconds);
    const int offset = DateContext::current().utcOffset(utc);
    const long long local = static_cast<long long>(utc) + offset;
    const long long days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    long long y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(days, y, m, d);
    if (y < 0 || y > 9999) {  // outside four digits the general writer's widths apply
        out += rfc3339(date);
        return;
    }
    const auto secondOfDay = static_cast<unsigned>(local - days * 86400);
    const unsigned offsetMinutes = static_cast<unsigned>(std::abs(offset)) / 60;
    appendDigits(out, static_cast<unsigned>(y), 4);
    out += '-';
    appendDigits(out, m, 2);
    out += '-';
    appendDigits(out, d, 2);
    out += 'T';
    appendDigits(out, secondOfDay / 3600, 2);
    out += ':';
    appendDigits(out, secondOfDay / 60 % 60, 2);
    out += ':';
    appendDigits(out, secondOfDay % 60, 2);
    out += offset < 0 ? '-' : '+';
    appendDigits(out, offsetMinutes / 60, 2);
    out += ':';
    appendDigits(out, offsetMinutes % 60, 2);
}

namespace {

// "KEY":"2010-03-11T16:00:00-08:00",
void appendDateField(std::string& out, const char* key, Date date) {
    appendKey(out, key);
    out += '"';
    appendRfc3339(out, date);
    out += "\",";
}

}  // namespace

void appendAlternativesJson(std::string& out, const std::vector<Alternative>& alternatives) {
    out += '[';
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
        const Alternative& a = alternatives[i];
        if (i) out += ',';
        out += '{';
        appendKey(out, VOK_ALL_DAY);
        appendBool(out, a.record.allDay);
        out += ',';
        appendDateField(out, VOK_FROM_DATE, a.record.fromDate);
        appendKey(out, VOK_TITLE);
        appendJsonString(out, a.record.title);
        out += ',';
        appendDateField(out, VOK_TO_DATE, a.record.toDate);
        appendKey(out, "reason");
        out += '"';
        out += choiceName(a.choice);
        out += "\",";
        appendKey(out, "text");
        appendJsonString(out, a.text);
        out += '}';
    }
    out += ']';
}

void appendRecordJson(std::string& out, const ParsedEntry& e, const std::vector<Alternative>& alternatives) {
    // The alarms in the byte order of their UTF-8 keys, as a JSON object keeps them; two markers
    // that differ only in unpaired surrogates become one key, the later one's value winning.
    std::map<std::string, std::int32_t> byKey;
    for (const auto& [marker, minutes] : e.alarms) byKey[toUtf8(marker)] = minutes;
    const std::vector<std::pair<std::string, std::int32_t>> alarms(byKey.begin(), byKey.end());
    out += '{';
    appendKey(out, VOK_ALARMS);
    out += '{';
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        if (i) out += ',';
        out += '"';
        for (unsigned char c : alarms[i].first) {
            if (c < 0x80) appendEscaped(out, c);
            else out += static_cast<char>(c);  // UTF-8 as it is
        }
        out += "\":";
        out += std::to_string(alarms[i].second);
    }
    out += "},";
    appendKey(out, VOK_ALL_DAY);
    appendBool(out, e.allDay);
    if (!alternatives.empty()) {
        out += ',';
        appendKey(out, VOK_ALTERNATIVES);
        appendAlternativesJson(out, alternatives);
    }
    if (e.calendar) {
        out += ',';
        appendKey(out, VOK_CALENDAR);
        appendJsonString(out, *e.calendar);
    }
    out += ',';
    appendDateField(out, VOK_FROM_DATE, e.fromDate);
    if (e.location) {
        appendKey(out, VOK_LOCATION);
        appendJsonString(out, *e.location);
        out += ',';
    }
    if (!e.read.empty()) {  // only when an everyday phrase was read, so other answers stay as they were
        appendKey(out, VOK_READ);
        out += '[';
        for (std::size_t i = 0; i < e.read.size(); ++i) {
            if (i) out += ',';
            appendJsonString(out, e.read[i]);
        }
        out += "],";
    }
    if (e.recurrence) {
        appendKey(out, VOK_RECURRENCE);
        out += '"';
        out += rruleText(*e.recurrence, e.allDay);  // ASCII letters, digits and = ; , -
        out += "\",";
    }
    appendKey(out, VOK_TASK);
    appendBool(out, e.task);
    out += ',';
    appendKey(out, VOK_TITLE);
    appendJsonString(out, e.title);
    out += ',';
    appendKey(out, VOK_TO_DATE);
    out += '"';
    appendRfc3339(out, e.toDate);
    out += "\"}";
}

}  // namespace linecal::cli
