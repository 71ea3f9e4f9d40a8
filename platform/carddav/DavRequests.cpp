#include "DavRequests.h"

#include <libxml/xmlwriter.h>

#include <memory>
#include <stdexcept>

#include "LazyLibraries.h"  // last: see there

namespace orvane::carddav::requests {
namespace {

const char* const kDav = "DAV:";
const char* const kCardDav = "urn:ietf:params:xml:ns:carddav";
const char* const kCalendarServer = "http://calendarserver.org/ns/";

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// One document written to memory; elements are prefixed: d (DAV:),
// c (CardDAV) and cs (calendarserver, for getctag).
class Writer {
public:
    Writer() : buffer_(xmlBufferCreate(), ORVANE_LAZY(Xml, xmlBufferFree)) {
        if (!buffer_) throw std::bad_alloc();
        writer_.reset(xmlNewTextWriterMemory(buffer_.get(), 0));
        if (!writer_) throw std::bad_alloc();
        Check(xmlTextWriterStartDocument(writer_.get(), nullptr, "utf-8", nullptr));
    }

    void Root(const char* prefix, const char* name) {
        Check(xmlTextWriterStartElementNS(writer_.get(), X(prefix), X(name), nullptr));
        Check(xmlTextWriterWriteAttribute(writer_.get(), X("xmlns:d"), X(kDav)));
        Check(xmlTextWriterWriteAttribute(writer_.get(), X("xmlns:c"), X(kCardDav)));
        Check(xmlTextWriterWriteAttribute(writer_.get(), X("xmlns:cs"), X(kCalendarServer)));
    }
    void Start(const char* prefix, const char* name) {
        Check(xmlTextWriterStartElementNS(writer_.get(), X(prefix), X(name), nullptr));
    }
    void End() { Check(xmlTextWriterEndElement(writer_.get())); }
    void Empty(const char* prefix, const char* name) {
        Start(prefix, name);
        End();
    }
    void TextElement(const char* prefix, const char* name, const std::string& text) {
        Start(prefix, name);
        Check(xmlTextWriterWriteString(writer_.get(), X(text.c_str())));
        End();
    }
    std::string Finish() {
        Check(xmlTextWriterEndDocument(writer_.get()));
        writer_.reset();  // flushes into the buffer
        return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_.get())),
                           static_cast<std::size_t>(xmlBufferLength(buffer_.get())));
    }

private:
    static void Check(int rc) {
        if (rc < 0) throw std::runtime_error("XML writer failed");
    }
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer_;
    std::unique_ptr<xmlTextWriter, decltype(&xmlFreeTextWriter)> writer_{nullptr, ORVANE_LAZY(Xml, xmlFreeTextWriter)};
};

void WriteProp(Writer& w, Prop prop) {
    switch (prop) {
        case Prop::ResourceType: w.Empty("d", "resourcetype"); break;
        case Prop::DisplayName: w.Empty("d", "displayname"); break;
        case Prop::CurrentUserPrincipal: w.Empty("d", "current-user-principal"); break;
        case Prop::AddressBookHomeSet: w.Empty("c", "addressbook-home-set"); break;
        case Prop::SupportedReportSet: w.Empty("d", "supported-report-set"); break;
        case Prop::SyncToken: w.Empty("d", "sync-token"); break;
        case Prop::GetCtag: w.Empty("cs", "getctag"); break;
        case Prop::GetEtag: w.Empty("d", "getetag"); break;
        case Prop::AddressData: w.Empty("c", "address-data"); break;
        case Prop::SupportedAddressData: w.Empty("c", "supported-address-data"); break;
    }
}

}  // namespace

std::string Propfind(const std::vector<Prop>& props) {
    Writer w;
    w.Root("d", "propfind");
    w.Start("d", "prop");
    for (Prop p : props) WriteProp(w, p);
    w.End();
    w.End();
    return w.Finish();
}

std::string SyncCollection(const std::string& token, bool withAddressData) {
    Writer w;
    w.Root("d", "sync-collection");
    w.TextElement("d", "sync-token", token);
    w.TextElement("d", "sync-level", "1");
    w.Start("d", "prop");
    WriteProp(w, Prop::GetEtag);
    if (withAddressData) WriteProp(w, Prop::AddressData);
    w.End();
    w.End();
    return w.Finish();
}

std::string AddressBookMultiget(const std::vector<std::string>& hrefs) {
    Writer w;
    w.Root("c", "addressbook-multiget");
    w.Start("d", "prop");
    WriteProp(w, Prop::GetEtag);
    WriteProp(w, Prop::AddressData);
    w.End();
    for (const auto& href : hrefs) w.TextElement("d", "href", href);
    w.End();
    return w.Finish();
}

std::string MkcolAddressBook(const std::string& displayName) {
    Writer w;
    w.Root("d", "mkcol");
    w.Start("d", "set");
    w.Start("d", "prop");
    w.Start("d", "resourcetype");
    w.Empty("d", "collection");
    w.Empty("c", "addressbook");
    w.End();
    w.TextElement("d", "displayname", displayName);
    w.End();
    w.End();
    w.End();
    return w.Finish();
}

}  // namespace orvane::carddav::requests
