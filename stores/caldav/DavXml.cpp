#include "stores/caldav/DavXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>

namespace linecal::dav {
namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";
constexpr const char* kApple = "http://apple.com/ns/ical/";

// What linecal keeps of a server's words: enough for any real calendar, little enough that a
// hostile reply cannot fill the memory or the cache.
constexpr std::size_t kMaxText = 8192;  // an href, a status line
constexpr std::size_t kMaxDisplayName = 1024;
constexpr std::size_t kMaxColor = 64;
constexpr std::size_t kMaxResources = 10000;
constexpr std::size_t kMaxListed = 64;  // components or privileges of one calendar

}  // namespace

const char* const kPrincipalQuery =
    R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:"><d:prop><d:current-user-principal/></d:prop></d:propfind>)";
const char* const kHomeSetQuery =
    R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
    R"(<d:prop><c:calendar-home-set/></d:prop></d:propfind>)";
const char* const kCalendarQuery =
    R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" )"
    R"(xmlns:a="http://apple.com/ns/ical/"><d:prop><d:resourcetype/><d:displayname/><a:calendar-color/>)"
    R"(<c:supported-calendar-component-set/><d:current-user-privilege-set/></d:prop></d:propfind>)";

namespace {

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

bool is(const xmlNode* node, const char* ns, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

template <typename Visit>
void children(const xmlNode* parent, Visit visit) {
    for (const xmlNode* c = parent ? parent->children : nullptr; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) visit(c);
    }
}

const xmlNode* child(const xmlNode* parent, const char* ns, const char* name) {
    const xmlNode* found = nullptr;
    children(parent, [&](const xmlNode* c) {
        if (!found && is(c, ns, name)) found = c;
    });
    return found;
}

// The character data directly inside `node`, at most `limit` bytes (cut at a character's start),
// trimmed. Only text and CDATA children count: with no DTD there are no entities to expand, and
// nothing a server sends can make this grow past the limit.
std::string text(const xmlNode* node, std::size_t limit = kMaxText) {
    std::string out;
    for (const xmlNode* c = node ? node->children : nullptr; c && out.size() < limit; c = c->next) {
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content) {
            const std::string_view content(reinterpret_cast<const char*>(c->content));
            out.append(content.substr(0, limit - out.size() + 4));  // room to find a character's start
        }
    }
    if (out.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    const auto first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::string> hrefIn(const xmlNode* node) {
    if (const xmlNode* href = child(node, kDav, "href")) return text(href);
    return std::nullopt;
}

void readProperty(const xmlNode* prop, Resource& resource) {
    if (is(prop, kDav, "current-user-principal")) {
        resource.principal = hrefIn(prop);
    } else if (is(prop, kCalDav, "calendar-home-set")) {
        children(prop, [&](const xmlNode* c) {
            if (is(c, kDav, "href") && resource.homeSets.size() < kMaxListed) resource.homeSets.push_back(text(c));
        });
    } else if (is(prop, kDav, "resourcetype")) {
        resource.isCalendar = child(prop, kCalDav, "calendar") != nullptr;
    } else if (is(prop, kDav, "displayname")) {
        resource.displayName = text(prop, kMaxDisplayName);
    } else if (is(prop, kApple, "calendar-color")) {
        std::string color = text(prop, kMaxColor + 1);
        if (color.size() <= kMaxColor) resource.color = std::move(color);  // longer is no colour
    } else if (is(prop, kCalDav, "supported-calendar-component-set")) {
        std::vector<std::string> components;
        children(prop, [&](const xmlNode* c) {
            if (!is(c, kCalDav, "comp") || components.size() >= kMaxListed) return;
            xmlChar* name = xmlGetProp(c, reinterpret_cast<const xmlChar*>("name"));
            if (name && xmlStrlen(name) <= 32) components.emplace_back(reinterpret_cast<const char*>(name));
            xmlFree(name);
        });
        resource.components = std::move(components);
    } else if (is(prop, kDav, "current-user-privilege-set")) {
        std::vector<std::string> privileges;
        children(prop, [&](const xmlNode* privilege) {
            if (!is(privilege, kDav, "privilege")) return;
            children(privilege, [&](const xmlNode* p) {
                if (p->ns && std::strcmp(reinterpret_cast<const char*>(p->ns->href), kDav) == 0 &&
                    privileges.size() < kMaxListed)
                    privileges.emplace_back(reinterpret_cast<const char*>(p->name));
            });
        });
        resource.privileges = std::move(privileges);
    }
}

bool statusIsOk(const xmlNode* propstat) {
    const xmlNode* status = child(propstat, kDav, "status");
    if (!status) return true;  // a missing status is read as success, as most clients do
    const std::string line = text(status);
    const auto space = line.find(' ');
    return space != std::string::npos && line.compare(space + 1, 1, "2") == 0;
}

}  // namespace

bool Resource::mayWriteContent() const {
    if (!privileges) return true;  // a server that does not say is tried; a refusal is reported then
    return std::any_of(privileges->begin(), privileges->end(),
                       [](const std::string& p) { return p == "write-content" || p == "write" || p == "all"; });
}

namespace {

using Doc = std::unique_ptr<xmlDoc, DocDeleter>;

// A reply is data, never instructions: one that declares a DTD or entities is refused before
// libxml2 sees it (an internal entity repeated a few million times expands to gigabytes), and
// the parser neither loads nor substitutes anything.
Doc readReply(const std::string& xml, std::string* problem) {
    auto fail = [&](const char* why) {
        if (problem) *problem = why;
        return Doc();
    };
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) return fail("the reply is too large");
    if (declaresDocumentType(xml)) return fail("the reply declares a document type or entities, which linecal refuses");
    Doc doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "reply.xml", nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
    if (!doc) return fail("the reply is not well-formed XML");
    if (doc->intSubset || doc->extSubset) return fail("the reply declares a document type, which linecal refuses");
    return doc;
}

long statusCode(const std::string& line) {
    const auto space = line.find(' ');
    if (space == std::string::npos || line.size() < space + 4) return 0;
    long code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code >= 100 ? code : 0;  // "HTTP/1.1 042" is no status
}

template <typename Visit>
void eachStatus(const xmlNode* node, Visit visit, int depth = 0) {
    if (depth > 8) return;  // a multi-status nests three deep; deeper is not one
    children(node, [&](const xmlNode* c) {
        if (is(c, kDav, "status")) visit(statusCode(text(c)));
        else eachStatus(c, visit, depth + 1);
    });
}

}  // namespace

bool declaresDocumentType(const std::string& xml) {
    // Case-blind, and wherever it stands: comments and strings are no hiding place worth allowing.
    static const std::string kMarks[] = {"<!doctype", "<!entity"};
    for (const auto& mark : kMarks) {
        auto it = std::search(xml.begin(), xml.end(), mark.begin(), mark.end(),
                              [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
        if (it != xml.end()) return true;
    }
    return false;
}

std::optional<std::vector<Resource>> parseMultistatus(const std::string& xml, std::string* problem) {
    Doc doc = readReply(xml, problem);
    if (!doc) return std::nullopt;
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!is(root, kDav, "multistatus")) {
        if (problem) *problem = "the reply is not a WebDAV multi-status document";
        return std::nullopt;
    }

    std::vector<Resource> resources;
    bool tooMany = false;
    children(root, [&](const xmlNode* response) {
        if (!is(response, kDav, "response")) return;
        if (resources.size() >= kMaxResources) {
            tooMany = true;
            return;
        }
        Resource resource;
        auto href = hrefIn(response);
        if (!href || href->size() >= kMaxText) return;  // an address that long was cut: useless
        resource.href = *href;
        children(response, [&](const xmlNode* propstat) {
            if (!is(propstat, kDav, "propstat") || !statusIsOk(propstat)) return;
            children(child(propstat, kDav, "prop"), [&](const xmlNode* prop) { readProperty(prop, resource); });
        });
        resources.push_back(std::move(resource));
    });
    if (tooMany) {
        if (problem) *problem = "the reply lists more than 10,000 resources";
        return std::nullopt;
    }
    return resources;
}

long multistatusFailure(const std::string& xml) {
    Doc doc = readReply(xml, nullptr);
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!is(root, kDav, "multistatus")) return 500;  // not even a multi-status: nothing says it worked
    long failure = 0;
    eachStatus(root, [&](long code) {
        if (!failure && (code < 200 || code > 299)) failure = code ? code : 500;
    });
    return failure;
}

}  // namespace linecal::dav
