#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sync/CardMerge.h"

namespace orvane::sync {
namespace {

std::string Card(const std::string& lines) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-ann\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n" + lines + "END:VCARD\r\n";
}

// The card both sides last agreed on: the ADR and TEL are the fields' own.
const std::string kAgreed =
    "TEL;TYPE=CELL:+1 555 0100\r\nADR;TYPE=HOME:;;1 Main St;Town;;1000;CH\r\nEMAIL:ann@home.example\r\n"
    "NOTE:old note\r\nCATEGORIES:Friends,Work\r\nBDAY:1980-04-05\r\n";

// The agreed lines with one replaced (or removed, with "") and lines added.
std::string Edited(const std::string& line, const std::string& with, const std::string& added = {}) {
    std::string lines = kAgreed;
    if (!line.empty()) lines.replace(lines.find(line), line.size() + 2, with.empty() ? "" : with + "\r\n");
    return Card(lines + added);
}

std::string Renamed(std::string card) {
    return card.replace(card.find("N:Lee;Ann;;;\r\nFN:Ann Lee"), 24, "N:Lee-Smith;Ann;;;\r\nFN:Ann Lee-Smith");
}

// How many lines of the card are `line` (or begin with it and a ':' or ';').
int Lines(const std::string& card, const std::string& line) {
    int count = 0;
    for (std::size_t at = 0; at < card.size();) {
        const std::size_t end = card.find("\r\n", at);
        const std::string one = card.substr(at, end - at);
        if (one == line || (one.starts_with(line) && (one[line.size()] == ':' || one[line.size()] == ';'))) ++count;
        at = end + 2;
    }
    return count;
}

// A row per rule: our card and the server's, both changed from the agreed
// one; the lines the merged card then holds, whether it differs from the
// server's, and the property held in conflict.
TEST(CardMerge, OneRowPerRule) {
    const std::string agreed = Card(kAgreed);
    // The server rewrote the card: other order, TYPE spelled otherwise, folded, no trailing ';'.
    const std::string rewritten =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-ann\r\nFN:Ann Lee\r\nN:Lee;Ann\r\nCATEGORIES:Work,Friends\r\n"
        "EMAIL:ann@home.example\r\nNOTE:old \r\n note\r\nADR;type=home:;;1 Main St;Town;;1000;CH\r\n"
        "TEL;type=cell:+1 555 0100\r\nBDAY:19800405\r\nEND:VCARD\r\n";
    const struct {
        const char* rule;
        std::string local, server;
        std::vector<PropertyChoice> choices;
        std::vector<std::pair<std::string, int>> lines;
        bool changed;
        std::string held;
    } rows[] = {
        {"values added on both sides are both kept", Edited("", "", "EMAIL:ann@work.example\r\n"),
         Edited("", "", "EMAIL;TYPE=HOME:ann@phone.example\r\n"), {},
         {{"EMAIL", 3}, {"EMAIL:ann@work.example", 1}, {"EMAIL;TYPE=HOME:ann@phone.example", 1}}, true, ""},
        {"a value removed here goes, one added there stays", Edited("EMAIL:ann@home.example", ""),
         Edited("", "", "URL:https://ann.example\r\n"), {}, {{"EMAIL", 0}, {"URL:https://ann.example", 1}}, true, ""},
        {"a single property changed on one side is taken", Edited("NOTE:old note", "NOTE:new note"), agreed, {},
         {{"NOTE:new note", 1}, {"NOTE", 1}}, true, ""},
        {"the same change on both sides is no conflict", Edited("NOTE:old note", "NOTE:same"),
         Edited("NOTE:old note", "NOTE:same"), {}, {{"NOTE:same", 1}}, false, ""},
        {"different changes on both sides are held, the server's stays", Edited("NOTE:old note", "NOTE:ours"),
         Edited("NOTE:old note", "NOTE:theirs"), {}, {{"NOTE:theirs", 1}, {"NOTE", 1}}, false, "NOTE"},
        {"a choice takes its side", Edited("NOTE:old note", "NOTE:ours"), Edited("NOTE:old note", "NOTE:theirs"),
         {{"NOTE", Side::Local}}, {{"NOTE:ours", 1}, {"NOTE", 1}}, true, ""},
        {"a server that only rewrote the card changed nothing", Edited("", "", "TITLE:Boss\r\n"), rewritten, {},
         {{"TITLE:Boss", 1}, {"EMAIL", 1}, {"TEL", 1}, {"ADR", 1}, {"NOTE", 1}, {"CATEGORIES", 1}, {"BDAY", 1}}, true, ""},
        {"a date only respelled here is no change", Edited("BDAY:1980-04-05", "BDAY:19800405"),
         Edited("BDAY:1980-04-05", "BDAY:1981-01-01"), {}, {{"BDAY:1981-01-01", 1}, {"BDAY", 1}}, false, ""},
        {"nothing changed here: nothing to send", agreed, rewritten, {}, {{"EMAIL", 1}}, false, ""},
        {"the ADR of the fields is the field merge's, never doubled",
         Edited("ADR;TYPE=HOME:;;1 Main St;Town;;1000;CH", "ADR;TYPE=HOME:;;2 Side St;Town;;1000;CH"),
         Edited("ADR;TYPE=HOME:;;1 Main St;Town;;1000;CH", "ADR;TYPE=HOME:;;3 High St;Town;;1000;CH"), {},
         {{"ADR", 1}, {"ADR;TYPE=HOME:;;3 High St;Town;;1000;CH", 1}}, false, ""},
        {"the parameters of the fields' phone follow a change here", Edited("TEL;TYPE=CELL:+1 555 0100", "TEL;TYPE=WORK:+1 555 0100"),
         agreed, {}, {{"TEL;TYPE=WORK:+1 555 0100", 1}, {"TEL", 1}}, true, ""},
        {"a name changed here only goes whole, with its FN", Renamed(agreed), agreed, {},
         {{"N:Lee-Smith;Ann;;;", 1}, {"FN:Ann Lee-Smith", 1}}, true, ""},
        {"a group added here that the server took since is renamed",
         Edited("", "", "item2.EMAIL:ann@x.example\r\nitem2.X-ABLabel:Work\r\n"),
         Edited("", "", "item2.URL:https://ann.example\r\nitem2.X-ABLabel:Blog\r\n"), {},
         {{"item1.EMAIL:ann@x.example", 1}, {"item1.X-ABLABEL:Work", 1}, {"item2.URL:https://ann.example", 1},
          {"item2.X-ABLABEL:Blog", 1}},
         true, ""},
        {"groups are merged value by value", Edited("CATEGORIES:Friends,Work", "CATEGORIES:Friends,Work,Family"),
         Edited("CATEGORIES:Friends,Work", "CATEGORIES:Friends"), {}, {{"CATEGORIES:Friends,Family", 1}}, true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rule);
        const CardMergeResult merged = MergeCards(agreed, row.local, row.server, row.choices);
        for (const auto& [line, count] : row.lines) EXPECT_EQ(Lines(merged.card, line), count) << line << "\n" << merged.card;
        EXPECT_EQ(merged.changed, row.changed) << merged.card;
        if (row.held.empty()) {
            EXPECT_TRUE(merged.conflicts.empty());
            continue;
        }
        ASSERT_EQ(merged.conflicts.size(), 1u);
        EXPECT_EQ(merged.conflicts[0].property, row.held);
        EXPECT_EQ(merged.conflicts[0].localValue, "ours");
        EXPECT_EQ(merged.conflicts[0].serverValue, "theirs");
        // The card agreed on for that property: the base of the next merge.
        EXPECT_EQ(Lines(merged.conflicts[0].baseCard, "NOTE:old note"), 1) << merged.conflicts[0].baseCard;
    }
}

}  // namespace
}  // namespace orvane::sync
