#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "card/Base64.h"
#include "card/CardEntries.h"
#include "card/CardModel.h"
#include "transfer/CardWriter.h"
#include "transfer/TextTools.h"

namespace orvane::card {
namespace text = transfer::text;
using transfer::CardProperty;
using transfer::ValueKind;
using transfer::VCardVersion;

namespace {

CardProperty NewProperty(std::string name, ValueKind kind) {
    CardProperty property;
    property.name = std::move(name);
    property.kind = kind;
    return property;
}

void AddType(CardProperty& property, const std::string& type) {
    for (transfer::VCardParameter& parameter : property.parameters)
        if (parameter.name == "TYPE") {
            parameter.values.push_back(type);
            return;
        }
    property.parameters.insert(property.parameters.begin(), {"TYPE", {type}});
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string_view piece = text::Trim(std::string_view(list).substr(start, comma - start));
        if (!piece.empty()) values.emplace_back(piece);
        start = comma + 1;
    }
    return values;
}

// The card being written: the properties read, those to remove, those to add.
class CardEdit {
public:
    explicit CardEdit(transfer::KeptCardProperties card) : card_(std::move(card)), removed_(card_.properties.size()) {}

    CardProperty& At(std::size_t index) { return card_.properties[index]; }
    void Remove(std::size_t index) {
        removed_[index] = true;
        RemoveLabel(card_.properties[index].group);
    }
    CardProperty& Add(CardProperty property) {
        added_.push_back(std::make_unique<CardProperty>(std::move(property)));
        return *added_.back();
    }

    // The property's kind written anew: TYPE words, or a label in its group.
    void SetKind(CardProperty& property, const EntryLabel& kind) {
        for (const char* type : {"home", "work", "cell", "fax", "other"}) property.RemoveType(type);
        RemoveLabel(property.group);
        switch (kind.kind) {
            case EntryKind::Home: AddType(property, "home"); break;
            case EntryKind::Work: AddType(property, "work"); break;
            case EntryKind::Mobile: AddType(property, "cell"); break;
            case EntryKind::Fax: AddType(property, "fax"); break;
            case EntryKind::Other: break;
            case EntryKind::Label: {
                if (property.group.empty()) property.group = NewGroup();
                CardProperty label = NewProperty("X-ABLabel", ValueKind::Text);
                label.name = "X-ABLABEL";
                label.group = property.group;
                label.text = {{kind.label}};
                Add(std::move(label));
                break;
            }
        }
    }

    static void SetPreferred(CardProperty& property, bool preferred) {
        property.RemoveType("pref");
        property.RemoveParameter("PREF");
        if (preferred) AddType(property, "pref");
    }

    transfer::KeptCardProperties Result() {
        transfer::KeptCardProperties out;
        out.version = card_.version;
        for (std::size_t i = 0; i < card_.properties.size(); ++i)
            if (!removed_[i]) out.properties.push_back(std::move(card_.properties[i]));
        for (auto& property : added_)
            if (!(property->name == "X-ABLABEL" && removedAdded_.count(property.get())))
                out.properties.push_back(std::move(*property));
        return out;
    }

private:
    void RemoveLabel(const std::string& group) {
        if (group.empty()) return;
        for (std::size_t i = 0; i < card_.properties.size(); ++i)
            if (card_.properties[i].name == "X-ABLABEL" && text::EqualsNoCase(card_.properties[i].group, group))
                removed_[i] = true;
        for (auto& property : added_)
            if (property->name == "X-ABLABEL" && text::EqualsNoCase(property->group, group))
                removedAdded_.insert(property.get());
    }

    std::string NewGroup() const {
        for (int n = 1;; ++n) {
            const std::string group = "item" + std::to_string(n);
            const auto uses = [&](const CardProperty& p) { return text::EqualsNoCase(p.group, group); };
            if (std::none_of(card_.properties.begin(), card_.properties.end(), uses) &&
                std::none_of(added_.begin(), added_.end(), [&](const auto& p) { return uses(*p); }))
                return group;
        }
    }

    transfer::KeptCardProperties card_;
    std::vector<bool> removed_;
    std::vector<std::unique_ptr<CardProperty>> added_;
    std::set<const CardProperty*> removedAdded_;
};

void SetEntryValue(CardProperty& property, const std::string& value) {
    if (property.name == "EMAIL") {
        property.kind = ValueKind::Text;
        property.text = {{value}};
    } else {
        // A phone or web site as typed: plain text, no longer a URI of its own.
        property.kind = ValueKind::Raw;
        property.raw = value;
        if (property.name == "TEL") property.RemoveParameter("VALUE");
    }
}

void SetAddressValue(CardProperty& property, const PostalAddress& address) {
    property.kind = ValueKind::Text;
    property.text = {{address.poBox},      {address.extended}, {address.street}, {address.city},
                     {address.region},     {address.postalCode}, {address.country}};
}

bool SameValue(const CardEntry& a, const CardEntry& b) { return a.value == b.value; }
bool SameValue(const PostalAddress& a, const PostalAddress& b) {
    return a.poBox == b.poBox && a.extended == b.extended && a.street == b.street && a.city == b.city &&
           a.region == b.region && a.postalCode == b.postalCode && a.country == b.country;
}
void SetValue(CardProperty& property, const CardEntry& entry) { SetEntryValue(property, entry.value); }
void SetValue(CardProperty& property, const PostalAddress& address) { SetAddressValue(property, address); }

// A list of entries written back: the removed ones go, the changed ones
// change only in what changed, the new ones are added.
template <class Entry>
void WriteEntries(CardEdit& edit, const char* name, const std::vector<Entry>& now, const std::vector<Entry>& was) {
    for (const Entry& old : was) {
        const auto kept = std::find_if(now.begin(), now.end(), [&](const Entry& e) { return e.source == old.source; });
        if (kept == now.end()) {
            edit.Remove(*old.source);
            continue;
        }
        CardProperty& property = edit.At(*old.source);
        if (!SameValue(*kept, old)) SetValue(property, *kept);
        if (kept->kind != old.kind) edit.SetKind(property, kept->kind);
        if (kept->preferred != old.preferred) CardEdit::SetPreferred(property, kept->preferred);
    }
    for (const Entry& entry : now) {
        if (entry.source) continue;
        CardProperty& property = edit.Add(NewProperty(name, ValueKind::Text));
        SetValue(property, entry);
        edit.SetKind(property, entry.kind);
        CardEdit::SetPreferred(property, entry.preferred);
    }
}

// One property that holds one value of the model: changed in place, added
// or (when the value is now empty) removed.
void WriteSingle(CardEdit& edit, const Source& source, bool changed, bool empty, const std::string& name,
                 const std::function<void(CardProperty&)>& set) {
    if (!changed) return;
    if (empty) {
        if (source) edit.Remove(*source);
        return;
    }
    if (source) set(edit.At(*source));
    else set(edit.Add(NewProperty(name, ValueKind::Text)));
}

void SetDate(CardProperty& property, const CardDate& date) {
    property.kind = ValueKind::Raw;
    property.RemoveParameter("X-APPLE-OMIT-YEAR");
    property.RemoveParameter("VALUE");
    // Without a year, as Apple writes it in 3.0; a 4.0 card says --MMDD.
    CardDate written = date;
    if (!written.year) {
        written.year = 1604;
        property.SetParameter("X-APPLE-OMIT-YEAR", {"1604"});
    }
    property.raw = written.Text();
}

std::string FullName(const CardModel& model) {
    std::vector<std::string> words;
    for (const std::string* part : {&model.prefix, &model.first, &model.middle, &model.last, &model.suffix})
        if (!text::Trim(*part).empty()) words.emplace_back(text::Trim(*part));
    return text::JoinNonEmpty(words, " ");
}

}  // namespace

std::string WriteCardModel(const CardModel& model, const std::string& uid) {
    const CardModel was = ModelOf(model.card);
    const SingleSources& at = was.sources;
    CardEdit edit(model.card);

    WriteEntries(edit, "EMAIL", model.emails, was.emails);
    WriteEntries(edit, "TEL", model.phones, was.phones);
    WriteEntries(edit, "URL", model.webSites, was.webSites);
    WriteEntries(edit, "ADR", model.addresses, was.addresses);

    const bool namesChanged = model.prefix != was.prefix || model.first != was.first || model.middle != was.middle ||
                              model.last != was.last || model.suffix != was.suffix;
    if (namesChanged) {
        CardProperty& n = at.n ? edit.At(*at.n) : edit.Add(NewProperty("N", ValueKind::Text));
        n.text.resize(std::max<std::size_t>(n.text.size(), 5));
        n.text[0] = {model.last};
        n.text[1] = {model.first};
        n.text[2] = {model.middle};
        n.text[3] = {model.prefix};
        n.text[4] = {model.suffix};
        const std::string full = FullName(model);
        WriteSingle(edit, at.fn, true, full.empty(), "FN", [&](CardProperty& fn) {
            fn.kind = ValueKind::Text;
            fn.text = {{full}};
        });
    }
    WriteSingle(edit, at.nickname, model.nickname != was.nickname, text::Trim(model.nickname).empty(), "NICKNAME",
                [&](CardProperty& p) { p.text = {SplitList(model.nickname)}; });
    WriteSingle(edit, at.organisation, model.organisation != was.organisation,
                model.organisation.empty() && (!at.organisation || edit.At(*at.organisation).text.size() <= 1), "ORG",
                [&](CardProperty& p) {
                    if (p.text.empty()) p.text.resize(1);
                    p.text[0] = {model.organisation};
                });
    WriteSingle(edit, at.jobTitle, model.jobTitle != was.jobTitle, model.jobTitle.empty(), "TITLE",
                [&](CardProperty& p) { p.text = {{model.jobTitle}}; });
    WriteSingle(edit, at.notes, model.notes != was.notes, model.notes.empty(), "NOTE",
                [&](CardProperty& p) { p.text = {{model.notes}}; });
    WriteSingle(edit, at.groups, model.groups != was.groups, model.groups.empty(), "CATEGORIES",
                [&](CardProperty& p) { p.text = {model.groups}; });
    WriteSingle(edit, at.birthday, model.birthday != was.birthday, !model.birthday, "BDAY",
                [&](CardProperty& p) { SetDate(p, *model.birthday); });
    WriteSingle(edit, at.anniversary, model.anniversary != was.anniversary, !model.anniversary,
                model.card.version == VCardVersion::V40 ? "ANNIVERSARY" : "X-ANNIVERSARY",
                [&](CardProperty& p) { SetDate(p, *model.anniversary); });
    WriteSingle(edit, at.photo, model.photo != was.photo || model.photoMediaType != was.photoMediaType,
                model.photo.empty(), "PHOTO", [&](CardProperty& p) {
                    p.kind = ValueKind::Binary;
                    p.raw = EncodeBase64(model.photo);
                    p.mediaType = model.photoMediaType;
                    p.RemoveParameter("VALUE");
                });

    const VCardVersion to = model.card.version == VCardVersion::V40 ? VCardVersion::V40 : VCardVersion::V30;
    const std::string written = transfer::WriteCardProperties(edit.Result(), to);
    // Through the card writer, as export writes it: N, FN and UID there,
    // the properties in the form of its version.
    return transfer::WriteKeptCard(written, to, FieldsOfCard(written), uid);
}

}  // namespace orvane::card
