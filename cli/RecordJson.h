// The parsed record as one line of JSON, written straight into a string: a
// batch answers thousands of lines, and building a JSON tree per line, then
// dumping it, cost more than the parse. The bytes are those of the tree's dump:
// keys in byte order, no spaces, UTF-8 as is, control characters escaped.
#pragma once

#include "parse/Date.h"
#include "parse/Alternatives.h"
#include "parse/ParsedEntry.h"

#include <string>

namespace linecal::cli {

// Appends the record's JSON object (no line end) to `out`, with the other
// readings under VOK_ALTERNATIVES when there are any.
void appendRecordJson(std::string& out, const ParsedEntry& entry, const std::vector<Alternative>& alternatives = {});
// The other readings as a JSON array: each its reason, text and dates.
void appendAlternativesJson(std::string& out, const std::vector<Alternative>& alternatives);
// Appends local RFC 3339 with offset, e.g. 2010-03-11T16:00:00-08:00.
void appendRfc3339(std::string& out, Date date);
// Appends the text as a JSON string, quotes included; a lone surrogate becomes U+FFFD.
void appendJsonString(std::string& out, const icu::UnicodeString& text);

}  // namespace linecal::cli
