#include "Multistatus.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <charconv>
#include <cstring>
#include <exception>
#include <limits>
#include <string_view>

#include "CardDavErrors.h"
#include "core/Error.h"
#include "LazyLibraries.h"  // last: see there

// A multistatus is read with libxml2's push parser and SAX callbacks, as it
// arrives: no tree of the whole answer is built, and the body need not be
// held. Text nodes of any size are read (a card with a large photo); the
// size of the whole answer is bounded by whoever feeds it.
namespace orvane::carddav {
namespace {

constexpr std::string_view kDav = "DAV:";
constexpr std::string_view kCardDav = "urn:ietf:params:xml:ns:carddav";
constexpr std::string_view kCalendarServer = "http://calendarserver.org/ns/";
// What ReadMultistatus hands the parser at a time.
constexpr std::size_t kSlice = std::size_t{1} << 20;

struct Element {
    std::string_view ns;  // one of the namespaces above, or empty for any other
    std::string name;
    bool Is(std::string_view n, std::string_view local) const { return ns == n && name == local; }
};

std::string_view KnownNamespace(const xmlChar* uri) {
    if (!uri) return {};
    const std::string_view text(reinterpret_cast<const char*>(uri));
    for (std::string_view known : {kDav, kCardDav, kCalendarServer})
        if (text == known) return known;
    return {};
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The properties of one propstat, merged into the response when its status is 2xx.
struct Propstat {
    DavProperties properties;
    bool resourceType = false;
    bool reportSet = false;
    int status = 0;
};

void Merge(const Propstat& from, DavProperties& to) {
    const DavProperties& p = from.properties;
    if (p.etag) to.etag = p.etag;
    if (p.addressData) to.addressData = p.addressData;
    if (from.resourceType) {
        to.isCollection = p.isCollection;
        to.isAddressBook = p.isAddressBook;
    }
    if (p.displayName) to.displayName = p.displayName;
    if (p.currentUserPrincipal) to.currentUserPrincipal = p.currentUserPrincipal;
    if (p.addressBookHomeSet) to.addressBookHomeSet = p.addressBookHomeSet;
    if (from.reportSet) {
        to.supportsSyncCollection = p.supportsSyncCollection;
        to.listsReports = true;
    }
    if (p.takesVCard4) to.takesVCard4 = true;
    if (p.syncToken) to.syncToken = p.syncToken;
    if (p.ctag) to.ctag = p.ctag;
}

}  // namespace

struct MultistatusParser::Impl {
    explicit Impl(std::function<void(DavResponse&&)> each);
    ~Impl() { xmlFreeParserCtxt(ctxt); }

    void Start(const xmlChar* localName, const xmlChar* uri, bool vcard4Type = false);
    void End();
    void Characters(const xmlChar* text, int length) {
        if (capture == stack.size() && capture != 0) captured.append(reinterpret_cast<const char*>(text), length);
    }
    void Capture(std::size_t depth) {
        capture = depth;
        captured.clear();
    }
    void Fail(std::string why) {
        if (failure.empty()) failure = std::move(why);
        xmlStopParser(ctxt);
    }
    // The element at this depth from the root (1: the root itself).
    const Element* At(std::size_t depth) const { return depth && depth <= stack.size() ? &stack[depth - 1] : nullptr; }
    bool InProp() const { return stack.size() >= 5 && stack[3].Is(kDav, "prop") && stack[2].Is(kDav, "propstat"); }

    std::function<void(DavResponse&&)> onResponse;
    std::exception_ptr handedOverFailure;  // thrown by onResponse, rethrown by Feed
    xmlParserCtxtPtr ctxt = nullptr;
    std::vector<Element> stack;
    std::size_t capture = 0;  // depth whose text is being collected; 0: none
    std::string captured;
    bool sawRoot = false;
    bool errorRoot = false;  // a DAV:error document, not a multistatus
    std::string failure;  // set by the parser's own checks
    std::string xmlError;  // libxml2's first error, never shown as it is
    Multistatus result;
    std::vector<std::string> errorRootConditions;  // when the root is DAV:error
    std::vector<std::pair<std::string, std::string>> errorRootHrefs;  // condition, the href it names
    DavResponse response;
    Propstat propstat;
};

namespace {

MultistatusParser::Impl& Self(void* user) { return *static_cast<MultistatusParser::Impl*>(user); }

// An address-data-type element that names text/vcard version 4.0 (RFC 6352 6.2.2).
bool IsVCard4Type(const xmlChar* localName, int count, const xmlChar** attributes) {
    if (std::string_view(reinterpret_cast<const char*>(localName)) != "address-data-type") return false;
    bool vcard = false, four = false;
    // Five pointers an attribute: name, prefix, URI, value start, value end.
    for (int i = 0; i < count; ++i) {
        const xmlChar** attribute = attributes + 5 * i;
        const std::string_view name(reinterpret_cast<const char*>(attribute[0]));
        const std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                     static_cast<std::size_t>(attribute[4] - attribute[3]));
        if (name == "content-type" && value == "text/vcard") vcard = true;
        if (name == "version" && value == "4.0") four = true;
    }
    return vcard && four;
}

void OnStart(void* user, const xmlChar* localName, const xmlChar*, const xmlChar* uri, int, const xmlChar**,
             int attributeCount, int, const xmlChar** attributes) {
    Self(user).Start(localName, uri, IsVCard4Type(localName, attributeCount, attributes));
}
void OnEnd(void* user, const xmlChar*, const xmlChar*, const xmlChar*) { Self(user).End(); }
void OnCharacters(void* user, const xmlChar* text, int length) { Self(user).Characters(text, length); }
void OnSubset(void* user, const xmlChar*, const xmlChar*, const xmlChar*) {
    // Never needed here, and the way to entity expansion.
    Self(user).Fail("it declares a DTD");
}
void OnError(void* user, xmlErrorPtr error) {
    auto& self = Self(user);
    if (error && error->level >= XML_ERR_ERROR && self.xmlError.empty())
        self.xmlError = "line " + std::to_string(error->line);
}

}  // namespace

MultistatusParser::Impl::Impl(std::function<void(DavResponse&&)> each) : onResponse(std::move(each)) {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &OnStart;
    sax.endElementNs = &OnEnd;
    sax.characters = &OnCharacters;
    sax.cdataBlock = &OnCharacters;
    sax.internalSubset = &OnSubset;
    sax.externalSubset = &OnSubset;
    sax.serror = &OnError;  // libxml2 prints nothing of its own
    ctxt = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, "answer.xml");
    if (!ctxt) throw std::bad_alloc();
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

void MultistatusParser::Impl::Start(const xmlChar* localName, const xmlChar* uri, bool vcard4Type) {
    stack.push_back({KnownNamespace(uri), reinterpret_cast<const char*>(localName)});
    const std::size_t depth = stack.size();
    const Element& e = stack.back();
    if (depth == 1) {
        sawRoot = true;
        errorRoot = e.Is(kDav, "error");
        if (!e.Is(kDav, "multistatus") && !errorRoot) Fail("it is not a WebDAV multistatus");
        return;
    }
    const bool multistatus = stack[0].Is(kDav, "multistatus");
    if (!multistatus) {  // a DAV:error document: its conditions
        if (depth == 2) errorRootConditions.push_back(e.name);
        if (depth == 3 && e.Is(kDav, "href")) Capture(depth);
        return;
    }
    if (depth == 2) {
        if (e.Is(kDav, "response")) response = DavResponse{};
        if (e.Is(kDav, "sync-token")) Capture(depth);
        if (e.Is(kDav, "error")) return;
    } else if (depth == 3 && stack[1].Is(kDav, "error")) {
        result.errorConditions.push_back(e.name);
    } else if (depth == 3 && stack[1].Is(kDav, "response")) {
        if (e.Is(kDav, "href") || e.Is(kDav, "status")) Capture(depth);
        if (e.Is(kDav, "propstat")) propstat = Propstat{};
    } else if (depth == 4 && stack[2].Is(kDav, "propstat") && e.Is(kDav, "status")) {
        Capture(depth);
    } else if (depth == 5 && InProp()) {
        if (e.Is(kDav, "getetag") || e.Is(kCardDav, "address-data") || e.Is(kDav, "displayname") ||
            e.Is(kDav, "sync-token") || e.Is(kCalendarServer, "getctag"))
            Capture(depth);
        if (e.Is(kDav, "resourcetype")) propstat.resourceType = true;
        if (e.Is(kDav, "supported-report-set")) propstat.reportSet = true;
    } else if (depth == 6 && InProp()) {
        const Element& prop = stack[4];
        DavProperties& p = propstat.properties;
        if (prop.Is(kDav, "resourcetype")) {
            if (e.Is(kDav, "collection")) p.isCollection = true;
            if (e.Is(kCardDav, "addressbook")) p.isAddressBook = true;
        }
        if ((prop.Is(kDav, "current-user-principal") || prop.Is(kCardDav, "addressbook-home-set")) &&
            e.Is(kDav, "href"))
            Capture(depth);
        if (prop.Is(kCardDav, "supported-address-data") && e.Is(kCardDav, "address-data-type") && vcard4Type)
            p.takesVCard4 = true;
    } else if (InProp() && stack[4].Is(kDav, "supported-report-set") && stack[5].Is(kDav, "supported-report") &&
               e.Is(kDav, "sync-collection")) {
        // <supported-report><report><sync-collection/></report></supported-report>
        // (RFC 3253), or without the report wrapper, as Xandikos writes it.
        if ((depth == 8 && stack[6].Is(kDav, "report")) || depth == 7) propstat.properties.supportsSyncCollection = true;
    }
}

void MultistatusParser::Impl::End() {
    const std::size_t depth = stack.size();
    if (depth == 0) return;
    const Element e = std::move(stack.back());
    stack.pop_back();
    const bool captureEnds = capture == depth;
    if (captureEnds) capture = 0;
    if (!stack.empty() && !stack[0].Is(kDav, "multistatus")) {
        if (depth == 3 && captureEnds && errorRoot) errorRootHrefs.emplace_back(stack[1].name, Trimmed(captured));
        return;
    }
    if (depth == 2 && e.Is(kDav, "response")) {
        if (!onResponse) {
            result.responses.push_back(std::move(response));
        } else {
            // Never thrown through libxml2's frames.
            try {
                onResponse(std::move(response));
            } catch (...) {
                handedOverFailure = std::current_exception();
                xmlStopParser(ctxt);
            }
        }
        response = DavResponse{};
    } else if (depth == 2 && captureEnds) {
        result.syncToken = Trimmed(captured);
    } else if (depth == 3 && stack[1].Is(kDav, "response")) {
        if (captureEnds && e.Is(kDav, "href") && response.href.empty()) response.href = Trimmed(captured);
        if (captureEnds && e.Is(kDav, "status")) response.status = StatusFromLine(captured);
        if (e.Is(kDav, "propstat")) {
            response.propstatStatuses.push_back(propstat.status);
            if (propstat.status >= 200 && propstat.status <= 299) Merge(propstat, response.properties);
            propstat = Propstat{};
        }
    } else if (depth == 4 && captureEnds) {
        propstat.status = StatusFromLine(captured);
    } else if (depth == 5 && captureEnds) {
        DavProperties& p = propstat.properties;
        if (e.Is(kCardDav, "address-data")) p.addressData = std::move(captured);
        else if (e.Is(kDav, "getetag")) p.etag = Trimmed(captured);
        else if (e.Is(kDav, "displayname")) p.displayName = Trimmed(captured);
        else if (e.Is(kDav, "sync-token")) p.syncToken = Trimmed(captured);
        else p.ctag = Trimmed(captured);
        captured = std::string{};
    } else if (depth == 6 && captureEnds) {
        DavProperties& p = propstat.properties;
        auto& target = stack[4].Is(kDav, "current-user-principal") ? p.currentUserPrincipal : p.addressBookHomeSet;
        if (!target) target = Trimmed(captured);  // the first href
    }
}

MultistatusParser::MultistatusParser(std::function<void(DavResponse&&)> onResponse)
    : impl_(std::make_unique<Impl>(std::move(onResponse))) {}
MultistatusParser::~MultistatusParser() = default;

namespace {

[[noreturn]] void Unreadable(const std::string& why) {
    throw Error(errnum::BadAnswer, "The server's answer cannot be read: " + why + ".");
}

}  // namespace

void MultistatusParser::Feed(std::string_view chunk) {
    Impl& p = *impl_;
    while (!chunk.empty()) {
        const std::size_t size = std::min(chunk.size(), kSlice);
        const int code = xmlParseChunk(p.ctxt, chunk.data(), static_cast<int>(size), 0);
        if (p.handedOverFailure) std::rethrow_exception(p.handedOverFailure);
        if (!p.failure.empty()) Unreadable(p.failure);
        if (code != 0 || !p.ctxt->wellFormed)
            Unreadable("it is not well-formed XML" + (p.xmlError.empty() ? std::string{} : " (" + p.xmlError + ")"));
        chunk.remove_prefix(size);
    }
}

namespace {

// Ends the document; whether it was whole and well-formed.
bool Complete(MultistatusParser::Impl& p) {
    xmlParseChunk(p.ctxt, nullptr, 0, 1);
    return p.failure.empty() && p.ctxt->wellFormed && p.sawRoot && p.stack.empty();
}

}  // namespace

Multistatus MultistatusParser::Finish() {
    Impl& p = *impl_;
    const bool complete = Complete(p);
    if (p.handedOverFailure) std::rethrow_exception(p.handedOverFailure);
    if (!complete) {
        if (!p.failure.empty()) Unreadable(p.failure);
        Unreadable("it is not a complete, well-formed XML document");
    }
    if (p.errorRoot) Unreadable("it is not a WebDAV multistatus");
    return std::move(p.result);
}

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
    MultistatusParser parser;
    parser.Feed(xml);
    return parser.Finish();
}

std::vector<std::string> ReadDavErrorConditions(std::string_view xml) {
    MultistatusParser parser;
    try {
        parser.Feed(xml);
    } catch (const Error&) {
        return {};
    }
    if (!Complete(*parser.impl_) || !parser.impl_->errorRoot) return {};
    return std::move(parser.impl_->errorRootConditions);
}

std::optional<std::string> ReadDavErrorHref(std::string_view xml, std::string_view condition) {
    MultistatusParser parser;
    try {
        parser.Feed(xml);
    } catch (const Error&) {
        return std::nullopt;
    }
    if (!Complete(*parser.impl_) || !parser.impl_->errorRoot) return std::nullopt;
    for (const auto& [name, href] : parser.impl_->errorRootHrefs)
        if (name == condition && !href.empty()) return href;
    return std::nullopt;
}

}  // namespace orvane::carddav
