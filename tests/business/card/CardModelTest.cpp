#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "VCardProperties.h"
#include "card/Base64.h"
#include "card/CardModel.h"
#include "card/CardValidation.h"
#include "core/Error.h"
#include "transfer/CardWriter.h"

using namespace orvane::card;
using orvane::test::ReadVCards;
using orvane::test::VProperty;

namespace {

// As an iPhone exports a contact: grouped labels, several TEL, EMAIL and ADR
// with TYPE and pref, a birthday without its year, a photo.
const std::string kAppleCard =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\n"
    "N:Lindqvist;Maja;Elin;Dr.;PhD\r\n"
    "FN:Dr. Maja Elin Lindqvist PhD\r\n"
    "NICKNAME:Mimi\r\n"
    "ORG:Nordvik AB;Research\r\n"
    "TITLE:Chief Chemist\r\n"
    "EMAIL;type=INTERNET;type=HOME;type=pref:maja@example.se\r\n"
    "item1.EMAIL;type=INTERNET:m.lindqvist@nordvik.example\r\n"
    "item1.X-ABLabel:Lab\r\n"
    "TEL;type=CELL;type=VOICE;type=pref:+46 70 123 45 67\r\n"
    "TEL;type=WORK;type=FAX:+46 8 555 01 00\r\n"
    "item2.TEL:+46 8 555 01 99\r\n"
    "item2.X-ABLabel:_$!<Other>!$_\r\n"
    "item3.ADR;type=HOME;type=pref:;Apt 4;Storgatan 1;Uppsala;;753 20;Sweden\r\n"
    "item3.X-ABADR:se\r\n"
    "ADR;type=WORK:;;Industrivägen 9;Solna;Stockholm;171 48;Sweden\r\n"
    "item4.URL;type=pref:https://maja.example.se\r\n"
    "item4.X-ABLabel:_$!<HomePage>!$_\r\n"
    "BDAY;X-APPLE-OMIT-YEAR=1604:1604-03-14\r\n"
    "CATEGORIES:Friends,Chemists\r\n"
    "NOTE:Met at the conference.\\nLikes tea.\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
    "X-SOCIALPROFILE;type=twitter:https://twitter.com/maja\r\n"
    "UID:6f1c2a3e-1111-4222-8333-944455556666\r\n"
    "END:VCARD\r\n";

std::string Describe(const CardEntry& e) {
    return e.kind.Text() + "|" + e.value + (e.preferred ? "|pref" : "");
}

std::multiset<VProperty> Meaning(const std::string& card) {
    const auto cards = ReadVCards(card);
    EXPECT_EQ(cards.size(), 1u) << card;
    return cards.empty() ? std::multiset<VProperty>{} : std::multiset<VProperty>(cards[0].begin(), cards[0].end());
}

TEST(CardModelTest, ReadsEveryValueOfARealLookingCard) {
    const CardModel model = ReadCardModel(kAppleCard);
    std::vector<CardEntry> none;
    auto entries = [](const std::vector<CardEntry>& list) {
        std::vector<std::string> out;
        for (const CardEntry& e : list) out.push_back(Describe(e));
        return out;
    };
    struct Row {
        const char* what;
        std::vector<std::string> got;
        std::vector<std::string> expected;
    };
    const PostalAddress& home = model.addresses.at(0);
    const PostalAddress& work = model.addresses.at(1);
    const std::vector<Row> rows = {
        {"names", {model.prefix, model.first, model.middle, model.last, model.suffix}, {"Dr.", "Maja", "Elin", "Lindqvist", "PhD"}},
        {"nickname, organisation, title", {model.nickname, model.organisation, model.jobTitle}, {"Mimi", "Nordvik AB", "Chief Chemist"}},
        {"e-mail", entries(model.emails), {"Home|maja@example.se|pref", "Lab|m.lindqvist@nordvik.example"}},
        {"phones", entries(model.phones), {"Mobile|+46 70 123 45 67|pref", "Fax|+46 8 555 01 00", "Other|+46 8 555 01 99"}},
        {"web sites", entries(model.webSites), {"HomePage|https://maja.example.se|pref"}},
        {"home address", {home.kind.Text(), home.extended, home.street, home.city, home.postalCode, home.country, home.preferred ? "pref" : ""},
         {"Home", "Apt 4", "Storgatan 1", "Uppsala", "753 20", "Sweden", "pref"}},
        {"work address", {work.kind.Text(), work.street, work.city, work.region, work.preferred ? "pref" : ""},
         {"Work", "Industrivägen 9", "Solna", "Stockholm", ""}},
        {"birthday without year", {model.birthday ? model.birthday->Text() : "none"}, {"03-14"}},
        {"groups", model.groups, {"Friends", "Chemists"}},
        {"notes", {model.notes}, {"Met at the conference.\nLikes tea."}},
        {"photo", {EncodeBase64(model.photo), model.photoMediaType}, {"/9j/4AAQSkZJRgABAQ==", "image/jpeg"}},
    };
    for (const Row& row : rows) EXPECT_EQ(row.got, row.expected) << row.what;

    std::vector<std::string> more;
    for (const OtherProperty& p : model.more) more.push_back(p.name + "=" + p.value);
    EXPECT_EQ(more, (std::vector<std::string>{"Made by=-//Apple Inc.//iPhone OS 17.0//EN", "Full name=Dr. Maja Elin Lindqvist PhD",
                                              "Address format=se", "Social profile=https://twitter.com/maja",
                                              "Unique ID=6f1c2a3e-1111-4222-8333-944455556666"}));
}

// Unchanged, a card comes back as the card writer writes the kept card,
// property for property, in 3.0 and in 4.0.
TEST(CardModelTest, AnUnchangedModelWritesTheSameCard) {
    using orvane::transfer::VCardVersion;
    for (const VCardVersion version : {VCardVersion::V30, VCardVersion::V40}) {
        const std::string card = orvane::transfer::WriteKeptCard(kAppleCard, version, FieldsOfCard(kAppleCard), "unused");
        SCOPED_TRACE(card);
        EXPECT_EQ(Meaning(WriteCardModel(ReadCardModel(card), "unused")), Meaning(card));
    }
}

TEST(CardModelTest, EditsChangeOnlyWhatWasEditedAndKeepTheRest) {
    CardModel model = ReadCardModel(kAppleCard);
    model.emails.erase(model.emails.begin() + 1);                        // the labelled one, with its label
    model.phones[1].value = "+46 8 555 02 00";                             // the fax: value only
    model.phones[0].preferred = false;
    model.phones[2].kind = EntryLabel::FromText("Home");                   // label gone, TYPE=home
    model.webSites.push_back({EntryLabel::FromText("Blog"), "https://blog.example.se", false, std::nullopt});
    model.middle.clear();
    model.birthday = CardDate{1979, 3, 14};
    model.anniversary = CardDate{std::nullopt, 6, 2};
    model.groups = {"Friends"};
    model.photo.clear();
    const std::string written = WriteCardModel(model, "unused");
    const CardModel again = ReadCardModel(written);

    EXPECT_EQ(again.emails.size(), 1u);
    std::vector<std::string> phones;
    for (const CardEntry& e : again.phones) phones.push_back(Describe(e));
    EXPECT_EQ(phones, (std::vector<std::string>{"Mobile|+46 70 123 45 67", "Fax|+46 8 555 02 00", "Home|+46 8 555 01 99"}));
    EXPECT_EQ(Describe(again.webSites.back()), "Blog|https://blog.example.se");
    EXPECT_EQ(again.first + "/" + again.middle + "/" + again.last, "Maja//Lindqvist");
    EXPECT_EQ(again.birthday->Text(), "1979-03-14");
    EXPECT_EQ(again.anniversary->Text(), "06-02");
    EXPECT_EQ(again.groups, std::vector<std::string>{"Friends"});
    EXPECT_TRUE(again.photo.empty());

    // Untouched properties keep group, parameters and value.
    const std::multiset<VProperty> after = Meaning(written);
    for (const VProperty& p : Meaning(kAppleCard)) {
        if (p.name == "TEL" || p.name == "EMAIL" || p.name == "X-ABLABEL" || p.name == "N" || p.name == "FN" ||
            p.name == "BDAY" || p.name == "CATEGORIES" || p.name == "PHOTO")
            continue;
        EXPECT_EQ(after.count(p), 1u) << p.Describe();
    }
    const auto fn = std::find_if(after.begin(), after.end(), [](const VProperty& p) { return p.name == "FN"; });
    ASSERT_NE(fn, after.end());
    EXPECT_EQ(fn->value, "Dr. Maja Lindqvist PhD");
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](const VProperty& p) { return p.name == "X-ABLABEL"; }), 2)
        << "HomePage and the new Blog label; Lab and Other went";
}

TEST(CardModelTest, WhatAUserCanGetWrongIsRefusedNamingTheField) {
    struct Case {
        const char* email;
        std::optional<CardDate> birthday;
        const char* typedDate;
        const char* field;  // empty: accepted
    };
    const std::vector<Case> cases = {
        {"ann@example.org", CardDate{2000, 2, 29}, "", ""},
        {"ann@localhost", CardDate{std::nullopt, 2, 29}, "02-29", ""},
        {"ann.example.org", std::nullopt, "", "E-mail address 1"},
        {"ann@", std::nullopt, "", "E-mail address 1"},
        {"@example.org", std::nullopt, "", "E-mail address 1"},
        {"ann @example.org", std::nullopt, "", "E-mail address 1"},
        {"ann@example.org", CardDate{1999, 2, 29}, "", "Birthday"},
        {"ann@example.org", CardDate{2001, 4, 31}, "", "Birthday"},
        {"ann@example.org", CardDate{2001, 13, 1}, "", "Birthday"},
        {"ann@example.org", std::nullopt, "1999-02-29", "Anniversary"},
        {"ann@example.org", std::nullopt, "31.12.1999", "Anniversary"},
        {"ann@example.org", std::nullopt, "12-32", "Anniversary"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.email) + " " + c.typedDate);
        std::string message;
        try {
            CardModel model;
            model.emails.push_back({EntryLabel{}, c.email, false, std::nullopt});
            model.birthday = c.birthday;
            model.anniversary = ParseCardDate("Anniversary", c.typedDate);
            ValidateCardModel(model);
        } catch (const orvane::Error& e) {
            message = e.Description();
            EXPECT_EQ(e.Number(), kInvalidCardValue);
        }
        if (std::string(c.field).empty()) EXPECT_EQ(message, "");
        else EXPECT_TRUE(message.starts_with(std::string(c.field) + ":")) << message;
    }
}

}  // namespace
