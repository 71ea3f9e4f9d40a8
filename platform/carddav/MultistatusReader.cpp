#include "Multistatus.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <limits>
#include <memory>

#include "CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {
namespace {

constexpr std::string_view kDav = "DAV:";
constexpr std::string_view kCardDav = "urn:ietf:params:xml:ns:carddav";
constexpr std::string_view kCalendarServer = "http://calendarserver.org/ns/";
// Far above any real listing (10,000 cards with photos), far below memory trouble.
constexpr std::size_t kMaxAnswerBytes = std::size_t{1} << 30;

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

bool Is(const xmlNode* node, std::string_view ns, std::string_view name) {
    if (!node || node->type != XML_ELEMENT_NODE || !node->ns || !node->ns->href) return false;
    return ns == reinterpret_cast<const char*>(node->ns->href) && name == reinterpret_cast<const char*>(node->name);
}

template <typename F>
void ForEachElement(const xmlNode* parent, F&& f) {
    for (const xmlNode* child = parent ? parent->children : nullptr; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE) f(child);
}

const xmlNode* FirstChild(const xmlNode* parent, std::string_view ns, std::string_view name) {
    for (const xmlNode* child = parent ? parent->children : nullptr; child; child = child->next)
        if (Is(child, ns, name)) return child;
    return nullptr;
}

// The text of an element: its text and CDATA children, in order. Entity
// references are never expanded (documents with a DTD are refused anyway).
std::string Text(const xmlNode* node) {
    std::string text;
    for (const xmlNode* child = node ? node->children : nullptr; child; child = child->next)
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content)
            text += reinterpret_cast<const char*>(child->content);
    return text;
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::string> HrefIn(const xmlNode* node) {
    if (const xmlNode* href = FirstChild(node, kDav, "href")) return Trimmed(Text(href));
    return std::nullopt;
}

bool ReportsSyncCollection(const xmlNode* set) {
    bool found = false;
    ForEachElement(set, [&](const xmlNode* supported) {
        if (!Is(supported, kDav, "supported-report")) return;
        const xmlNode* report = FirstChild(supported, kDav, "report");
        if (FirstChild(report, kDav, "sync-collection")) found = true;
    });
    return found;
}

bool ListsVCard4(const xmlNode* set) {
    bool found = false;
    ForEachElement(set, [&](const xmlNode* type) {
        if (!Is(type, kCardDav, "address-data-type")) return;
        xmlChar* contentType = xmlGetProp(type, reinterpret_cast<const xmlChar*>("content-type"));
        xmlChar* version = xmlGetProp(type, reinterpret_cast<const xmlChar*>("version"));
        const bool vcard = contentType && std::string_view(reinterpret_cast<const char*>(contentType)) == "text/vcard";
        if (vcard && version && std::string_view(reinterpret_cast<const char*>(version)) == "4.0") found = true;
        xmlFree(contentType);
        xmlFree(version);
    });
    return found;
}

void ReadProperty(const xmlNode* prop, DavProperties& out) {
    if (Is(prop, kDav, "getetag")) {
        out.etag = Trimmed(Text(prop));
    } else if (Is(prop, kCardDav, "address-data")) {
        out.addressData = Text(prop);
    } else if (Is(prop, kDav, "resourcetype")) {
        out.isCollection = FirstChild(prop, kDav, "collection") != nullptr;
        out.isAddressBook = FirstChild(prop, kCardDav, "addressbook") != nullptr;
    } else if (Is(prop, kDav, "displayname")) {
        out.displayName = Trimmed(Text(prop));
    } else if (Is(prop, kDav, "current-user-principal")) {
        out.currentUserPrincipal = HrefIn(prop);
    } else if (Is(prop, kCardDav, "addressbook-home-set")) {
        out.addressBookHomeSet = HrefIn(prop);
    } else if (Is(prop, kDav, "supported-report-set")) {
        out.supportsSyncCollection = ReportsSyncCollection(prop);
    } else if (Is(prop, kCardDav, "supported-address-data")) {
        out.takesVCard4 = ListsVCard4(prop);
    } else if (Is(prop, kDav, "sync-token")) {
        out.syncToken = Trimmed(Text(prop));
    } else if (Is(prop, kCalendarServer, "getctag")) {
        out.ctag = Trimmed(Text(prop));
    }
}

DavResponse ReadResponse(const xmlNode* node) {
    DavResponse response;
    ForEachElement(node, [&](const xmlNode* child) {
        if (Is(child, kDav, "href") && response.href.empty()) {
            response.href = Trimmed(Text(child));
        } else if (Is(child, kDav, "status")) {
            response.status = StatusFromLine(Text(child));
        } else if (Is(child, kDav, "propstat")) {
            const int status = StatusFromLine(Text(FirstChild(child, kDav, "status")));
            response.propstatStatuses.push_back(status);
            if (status < 200 || status > 299) return;
            ForEachElement(FirstChild(child, kDav, "prop"),
                           [&](const xmlNode* prop) { ReadProperty(prop, response.properties); });
        }
    });
    return response;
}

std::vector<std::string> ConditionsIn(const xmlNode* error) {
    std::vector<std::string> names;
    ForEachElement(error, [&](const xmlNode* child) { names.emplace_back(reinterpret_cast<const char*>(child->name)); });
    return names;
}

// Parses without network access, without entity substitution and without
// loading a DTD; a document that declares one is refused.
DocPtr Parse(std::string_view xml) {
    if (xml.size() > kMaxAnswerBytes || xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return nullptr;
    DocPtr doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "answer.xml", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (doc && (doc->intSubset || doc->extSubset)) return nullptr;
    return doc;
}

[[noreturn]] void Unreadable(const std::string& why) {
    throw Error(errnum::BadAnswer, "The server's answer cannot be read: " + why + ".");
}

}  // namespace

int StatusFromLine(std::string_view line) {
    const auto space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    auto rest = line.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    int status = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), status);
    if (ec != std::errc{} || end - rest.data() != 3) return 0;
    return status;
}

Multistatus ReadMultistatus(std::string_view xml) {
    DocPtr doc = Parse(xml);
    if (!doc) Unreadable("it is not a well-formed XML document without a DTD");
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!Is(root, kDav, "multistatus")) Unreadable("it is not a WebDAV multistatus");
    Multistatus result;
    ForEachElement(root, [&](const xmlNode* child) {
        if (Is(child, kDav, "response")) {
            result.responses.push_back(ReadResponse(child));
        } else if (Is(child, kDav, "sync-token")) {
            result.syncToken = Trimmed(Text(child));
        } else if (Is(child, kDav, "error")) {
            for (auto& name : ConditionsIn(child)) result.errorConditions.push_back(std::move(name));
        }
    });
    return result;
}

std::vector<std::string> ReadDavErrorConditions(std::string_view xml) {
    DocPtr doc = Parse(xml);
    if (!doc) return {};
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!Is(root, kDav, "error")) return {};
    return ConditionsIn(root);
}

}  // namespace orvane::carddav
