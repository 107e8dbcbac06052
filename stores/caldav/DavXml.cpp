#include "stores/caldav/DavXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace linecal::dav {
namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";
constexpr const char* kApple = "http://apple.com/ns/ical/";

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

std::string text(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
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
            if (is(c, kDav, "href")) resource.homeSets.push_back(text(c));
        });
    } else if (is(prop, kDav, "resourcetype")) {
        resource.isCalendar = child(prop, kCalDav, "calendar") != nullptr;
    } else if (is(prop, kDav, "displayname")) {
        resource.displayName = text(prop);
    } else if (is(prop, kApple, "calendar-color")) {
        resource.color = text(prop);
    } else if (is(prop, kCalDav, "supported-calendar-component-set")) {
        std::vector<std::string> components;
        children(prop, [&](const xmlNode* c) {
            if (!is(c, kCalDav, "comp")) return;
            xmlChar* name = xmlGetProp(c, reinterpret_cast<const xmlChar*>("name"));
            if (name) components.emplace_back(reinterpret_cast<const char*>(name));
            xmlFree(name);
        });
        resource.components = std::move(components);
    } else if (is(prop, kDav, "current-user-privilege-set")) {
        std::vector<std::string> privileges;
        children(prop, [&](const xmlNode* privilege) {
            if (!is(privilege, kDav, "privilege")) return;
            children(privilege, [&](const xmlNode* p) {
                if (p->ns && std::strcmp(reinterpret_cast<const char*>(p->ns->href), kDav) == 0)
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

std::optional<std::vector<Resource>> parseMultistatus(const std::string& xml, std::string* problem) {
    auto fail = [&](const char* why) -> std::optional<std::vector<Resource>> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) return fail("the reply is too large");
    // No network, no external entities, no DTD loading: the reply is data, not instructions.
    std::unique_ptr<xmlDoc, DocDeleter> doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "reply.xml",
                                                          nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                                       XML_PARSE_NOWARNING));
    if (!doc) return fail("the reply is not well-formed XML");
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!is(root, kDav, "multistatus")) return fail("the reply is not a WebDAV multi-status document");

    std::vector<Resource> resources;
    children(root, [&](const xmlNode* response) {
        if (!is(response, kDav, "response")) return;
        Resource resource;
        auto href = hrefIn(response);
        if (!href) return;
        resource.href = *href;
        children(response, [&](const xmlNode* propstat) {
            if (!is(propstat, kDav, "propstat") || !statusIsOk(propstat)) return;
            children(child(propstat, kDav, "prop"), [&](const xmlNode* prop) { readProperty(prop, resource); });
        });
        resources.push_back(std::move(resource));
    });
    return resources;
}

}  // namespace linecal::dav
