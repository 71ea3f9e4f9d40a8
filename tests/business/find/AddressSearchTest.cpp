#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CBusinessTier.h"
#include "CDataCardTier.h"
#include "CDataSyncAddressTier.h"
#include "DataTestSupport.h"
#include "TempAppFolder.h"
#include "find/AddressSearch.h"
#include "transfer/AddressImporter.h"

using orvane::find::AddressSearch;
using orvane::find::FindResult;
using orvane::test::TempAppFolder;

namespace {

// A small book: names with accents, a phone written with punctuation, and a
// kept card holding the fields only a card has.
struct Book {
    TempAppFolder folder;
    int anna = folder.InsertAddress("Anna", "Müller", "Hauptstr. 5", "10115", "Berlin", "Germany", "+49 (30) 4711-22");
    int zoe = folder.InsertAddress("Zoë", "Zimmer", "12 Oak Road", "75001", "", "France", "");
    int bob = folder.InsertAddress("Bob", "Annerton", "", "", "", "", "030 999 000");
    int carl = folder.InsertAddress("Carl", "Smith", "", "", "", "", "0171 23");

    Book() {
        CDataCardTier cards;
        cards.KeepCard(anna,
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Müller\r\nN:Müller;Anna;;;\r\nNICKNAME:Annie\r\n"
                       "EMAIL:ann@example.org\r\nORG:Acme GmbH\r\nTITLE:Engineer\r\nNOTE:Met at the harbour\r\n"
                       "CATEGORIES:Friends\r\nURL:https://anna.example.net\r\n"
                       "ADR:;;Hauptstr. 5;Potsdam;;10115;Germany\r\nEND:VCARD\r\n");
        cards.KeepCard(carl, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Carl Smith\r\nEMAIL:carl@muller.example\r\n"
                             "TEL:555 1234\r\nEND:VCARD\r\n");
    }
};

std::vector<std::string> Lines(const FindResult& r) {
    std::vector<std::string> lines;
    for (const auto& a : r.addresses) lines.push_back(std::to_string(a.id) + " " + a.display + " | " + a.matched);
    return lines;
}

}  // namespace

TEST(AddressSearch, MatchingRules) {
    Book b;
    const auto line = [](int id, const std::string& display, const std::string& matched) {
        return std::to_string(id) + " " + display + " | " + matched;
    };
    const struct {
        std::string typed;
        std::vector<std::string> expected;
    } cases[] = {
        // Accents and case ignored; a name match before an e-mail match.
        {"muller", {line(b.anna, "Anna, Müller", "last name: Müller"),
                    line(b.carl, "Carl, Smith", "e-mail: carl@muller.example")}},
        {"MÜLL", {line(b.anna, "Anna, Müller", "last name: Müller"),
                  line(b.carl, "Carl, Smith", "e-mail: carl@muller.example")}},
        {"zoe", {line(b.zoe, "Zoë, Zimmer", "first name: Zoë")}},
        // Prefixes of any word; names first, then by display text.
        {"ann", {line(b.anna, "Anna, Müller", "first name: Anna"), line(b.bob, "Bob, Annerton", "last name: Annerton")}},
        {"nerton", {}},
        // Digits anywhere in a phone number, whatever its punctuation.
        {"4711", {line(b.anna, "Anna, Müller", "phone: +49 (30) 4711-22")}},
        {"3047", {line(b.anna, "Anna, Müller", "phone: +49 (30) 4711-22")}},
        {"999000", {line(b.bob, "Bob, Annerton", "phone: 030 999 000")}},
        {"47", {}},
        {"5551234", {line(b.carl, "Carl, Smith", "phone: 555 1234")}},
        // Its pieces in the number, but not in a row; nor across two phones.
        {"000999", {}},
        {"1235551", {}},
        // The part of an e-mail address after "@", and the card's other fields.
        {"example.org", {line(b.anna, "Anna, Müller", "e-mail: ann@example.org")}},
        {"potsdam", {line(b.anna, "Anna, Müller", "city: Potsdam")}},
        {"harbour", {line(b.anna, "Anna, Müller", "note: Met at the harbour")}},
        {"friends", {line(b.anna, "Anna, Müller", "group: Friends")}},
        {"acme", {line(b.anna, "Anna, Müller", "organisation: Acme GmbH")}},
        {"engin", {line(b.anna, "Anna, Müller", "title: Engineer")}},
        {"example.net", {line(b.anna, "Anna, Müller", "web site: https://anna.example.net")}},
        // Every word must match some field.
        {"annie 10115", {line(b.anna, "Anna, Müller", "nickname: Annie")}},
        {"annie paris", {}},
        {"  ", {}},
    };
    AddressSearch search;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(Lines(search.Find(c.typed)), c.expected);
    }
}

TEST(AddressSearch, LimitKeepsTheFirstAndCountsTheRest) {
    TempAppFolder folder;
    for (const char* first : {"Eve", "Dan", "Cleo", "Ben", "Al"}) folder.InsertAddress(first, "Limes");
    const FindResult r = AddressSearch().Find("lime", 2);
    ASSERT_EQ(r.addresses.size(), 2u);
    EXPECT_EQ(r.addresses[0].display, "Al, Limes");
    EXPECT_EQ(r.addresses[1].display, "Ben, Limes");
    EXPECT_EQ(r.more, 3u);
}

// Results keep their order (names first, then by display text) as
// addresses are added, renamed and deleted, by the window and by plain SQL.
TEST(AddressSearch, ResultsKeepTheirOrderThroughChanges) {
    TempAppFolder folder;
    // Enough addresses that the stored order has several parts.
    std::map<int, std::string> names;  // by ID: the display text of each name match
    std::string rows;
    for (int id = 1000; id < 4000; ++id) {
        names[id] = "N" + std::to_string(id) + ", Limes";
        rows += (rows.empty() ? "(" : ", (") + std::to_string(id) + ", 'N" + std::to_string(id) + "', 'Limes')";
    }
    folder.ExecSql("INSERT INTO tblAddress (ID, FirstName, LastName) VALUES " + rows);
    folder.InsertAddress("Aaron", "Ray", "12 Limes Road");
    AddressSearch search;
    const auto check = [&] {
        std::vector<std::string> expected;
        for (const auto& [id, display] : names) expected.push_back(display);
        std::sort(expected.begin(), expected.end());
        expected.push_back("Aaron, Ray");
        std::vector<std::string> shown;
        for (const auto& a : search.Find("limes", 5000).addresses) shown.push_back(a.display);
        EXPECT_EQ(shown, expected);
    };
    check();
    const int renamed = 1500, deleted = 2600, renamedBySql = 3700;
    CBusinessTier added;
    added.FirstName("N1305b");
    added.LastName("Limes");
    added.SaveAddress();
    names[-1] = "N1305b, Limes";
    CBusinessTier changed;
    changed.GetAddressDetails(renamed);
    changed.AddressID(renamed);
    changed.FirstName("N3455b");
    changed.SaveAddress();
    names[renamed] = "N3455b, Limes";
    check();
    folder.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(deleted));
    folder.ExecSql("UPDATE tblAddress SET FirstName = 'A1' WHERE ID = " + std::to_string(renamedBySql));
    names.erase(deleted);
    names[renamedBySql] = "A1, Limes";
    check();
}

TEST(AddressSearch, ChangesMadeByPlainSqlAreFoundByTheNextSearch) {
    TempAppFolder folder;
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    AddressSearch search;
    ASSERT_EQ(search.Find("ada").addresses.size(), 1u);
    ASSERT_TRUE(search.IndexCurrent());

    const int grace = folder.InsertAddress("Grace", "Hopper");
    EXPECT_EQ(search.Find("hopper").addresses.at(0).id, grace);
    folder.ExecSql("UPDATE tblAddress SET FirstName = 'Augusta' WHERE ID = " + std::to_string(ada));
    EXPECT_TRUE(search.Find("ada").addresses.empty());
    EXPECT_EQ(search.Find("augusta").addresses.at(0).id, ada);
    folder.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(grace));
    EXPECT_TRUE(search.Find("grace").addresses.empty());
    EXPECT_EQ(search.FullScans(), 4u) << "one per change made by plain SQL, besides the first build";
}

// Each writer of the program tells the index what it changed in its own
// transaction: the next search finds it without comparing every address.
TEST(AddressSearch, OurOwnWritesAreFoundWithoutComparingEveryAddress) {
    TempAppFolder folder;
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    AddressSearch search;
    ASSERT_EQ(search.Find("ada").addresses.size(), 1u);
    const std::size_t scans = search.FullScans();
    CDataSyncAddressTier sync;
    CDataCardTier cards;
    int hedy = 0, grace = 0;
    const struct {
        const char* write;
        std::function<void()> act;
        std::string typed;
        std::size_t found;
    } steps[] = {
        {"window: a new address", [&] { CBusinessTier b; b.FirstName("Hedy"); b.SaveAddress(); }, "hedy", 1},
        {"window: an address changed",
         [&] {
             hedy = search.Find("hedy").addresses.at(0).id;
             CBusinessTier b;
             b.GetAddressDetails(hedy);
             b.AddressID(hedy);
             b.LastName("Lamarr");
             b.SaveAddress();
         },
         "lamarr", 1},
        {"window: an address deleted", [&] { CBusinessTier().DeleteAddress(hedy); }, "hedy", 0},
        {"a kept card", [&] { cards.KeepCard(ada, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada\r\nNOTE:analytical engine\r\nEND:VCARD\r\n"); },
         "analytical", 1},
        {"a card deleted", [&] { cards.DeleteCard(ada); }, "analytical", 0},
        {"sync: a new address", [&] { grace = sync.Add({"Grace", "Hopper", "", "", "", "", ""}); }, "hopper", 1},
        {"sync: an address changed", [&] { sync.Update(grace, {"Grace", "Brewster", "", "", "", "", ""}); }, "brewster", 1},
        {"sync: an address deleted", [&] { sync.Delete(grace); }, "brewster", 0},
        {"an import with a card",
         [&] {
             orvane::transfer::AddressImporter importer;
             importer.ImportBytes("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Noether;Emmy\r\nEMAIL:emmy@rings.example\r\nEND:VCARD\r\n",
                                  "cards.vcf");
         },
         "rings", 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.write);
        step.act();
        EXPECT_EQ(search.Find(step.typed).addresses.size(), step.found);
        EXPECT_EQ(search.FullScans(), scans);
    }
    // A change by plain SQL before a save of ours is still found: the save
    // sees that the index was behind and leaves the comparison to the search.
    folder.ExecSql("UPDATE tblAddress SET LastName = 'Byron' WHERE ID = " + std::to_string(ada));
    CBusinessTier b;
    b.FirstName("Mary");
    b.SaveAddress();
    EXPECT_EQ(search.Find("byron").addresses.size(), 1u);
    EXPECT_EQ(search.Find("mary").addresses.size(), 1u);
    EXPECT_EQ(search.FullScans(), scans + 1);
}

TEST(AddressSearch, AFileCannotMakeOrShapeTheIndexTables) {
    {
        // A table of the index's name that the program did not make.
        TempAppFolder folder;
        folder.InsertAddress("Ada", "Lovelace");
        folder.ExecSql("CREATE TABLE OrvaneFindPostings (Word TEXT, AddressID INTEGER, Field INTEGER)");
        // A save goes on; the search refuses.
        CBusinessTier business;
        business.FirstName("Grace");
        EXPECT_NO_THROW(business.SaveAddress());
        const std::string error = orvane::test::ErrorText([] { AddressSearch().Find("ada"); });
        EXPECT_NE(error.find("has been altered"), std::string::npos) << error;
        EXPECT_NE(error.find("OrvaneFindPostings"), std::string::npos) << error;
    }
    {
        // A trigger of the file on an index table, after the program made it.
        TempAppFolder folder;
        folder.InsertAddress("Ada", "Lovelace");
        AddressSearch().Find("ada");
        folder.ExecSql("CREATE TRIGGER Spy AFTER INSERT ON OrvaneFindPostings BEGIN DELETE FROM tblAddress; END");
        folder.InsertAddress("Grace", "Hopper");
        const std::string error = orvane::test::ErrorText([] { AddressSearch().Find("grace"); });
        EXPECT_NE(error.find("has been altered"), std::string::npos) << error;
    }
    {
        // A saved query of the file that would make the index table itself.
        TempAppFolder folder;
        folder.ExecSql(
            "UPDATE SavedQueries SET SqlText = 'CREATE TABLE OrvaneFindPostings (Word TEXT)' WHERE Name = 'SaveAddress'");
        CBusinessTier business;
        business.FirstName("Ada");
        EXPECT_NE(orvane::test::ErrorText([&] { business.SaveAddress(); }), "(no error)");
        // The program then makes its own, as if the file had none.
        EXPECT_TRUE(AddressSearch().Find("ada").addresses.empty());
    }
}
