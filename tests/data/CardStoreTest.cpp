// The cards kept beside the addresses: the tables of ours appear in a file
// made before them without touching what was there, a file that holds
// something else under our names is refused, cards come back byte for byte,
// and an address's card goes with the address.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "FileBytes.h"
#include "ErrorOf.h"
#include "AddressbookSchema.h"
#include "CDataCardTier.h"
#include "CDataDBTier.h"
#include "CDataSyncStateTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

using orvane::test::TempAppFolder;
namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Read(const TempAppFolder& folder, const std::string& sql) {
    orvane::adodb::Connection cnn;
    cnn.Open(folder.ConnectionString());
    orvane::adodb::Recordset rst;
    rst.Open(sql, cnn);
    Rows out;
    if (rst.Eof()) return out;
    const orvane::Variant v = rst.GetRows(-1);
    const orvane::VariantArray& a = v.Array();
    for (std::int32_t j = a.LBound(2); j <= a.UBound(2); ++j) {
        std::vector<std::string> row;
        for (std::int32_t i = a.LBound(1); i <= a.UBound(1); ++i)
            row.push_back(a.At(i, j).IsNull() ? std::string("<null>") : a.At(i, j).JoinEmpty());
        out.push_back(std::move(row));
    }
    return out;
}

// Every entry of the file's schema: type, name, table and SQL text.
Rows Schema(const TempAppFolder& folder) {
    return Read(folder, "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name");
}

// The SQL text of one of our entries, as a file the program made holds it.
// (Made in a second file beside the folder's own.)
std::string OurSql(const TempAppFolder& folder, const std::string& name) {
    const std::string other = (folder.Root() / "Documents" / "Other.mdb").string();
    if (!fs::exists(other)) AddressbookSchema::CreateDatabase(other);
    CDataCardTier(other).ReadCard(1);
    orvane::adodb::Connection cnn;
    cnn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + other + ";");
    orvane::adodb::Recordset rst;
    rst.Open("SELECT sql FROM sqlite_master WHERE name = '" + name + "'", cnn);
    return rst.Eof() ? std::string() : rst.GetRows(-1).Array().At(0, 0).Text();
}

// A card as a phone sends it: CRLF line ends, a long unfolded photo line,
// quotes, non-ASCII text and properties this program does not map.
std::string PhoneCard(const std::string& uid) {
    std::string photo(6000, 'A');
    for (std::size_t i = 0; i < photo.size(); i += 7) photo[i] = '/';
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid +
           "\r\nN:M\xC3\xBCller;J\xC3\xBCrgen;;;\r\nFN:J\xC3\xBCrgen M\xC3\xBCller\r\n"
           "item1.EMAIL;TYPE=INTERNET:j@example.org\r\nitem1.X-ABLabel:O'Brien's \"work\"\r\n"
           "NOTE:line one\\nline two -- /* x ; DROP TABLE tblAddress; '' \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x99\x82  \r\n"
           "PHOTO;ENCODING=b;TYPE=JPEG:" +
           photo + "\r\nEND:VCARD\r\n";
}

class CardStore : public ::testing::Test {
protected:
    TempAppFolder folder;
    CDataCardTier cards{folder.DatabaseFile().string()};
};

TEST_F(CardStore, TablesAppearInAnOlderFileWithoutTouchingItsAddressesOrQueries) {
    const int ada = folder.InsertAddress("Ada", "Lovelace", "12 St James's Square", "SW1Y", "London", "UK", "+44");
    folder.InsertAddress("Alan", "Turing");
    const Rows schemaBefore = Schema(folder);
    const Rows addressesBefore = Read(folder, "SELECT * FROM tblAddress ORDER BY ID");
    const Rows queriesBefore = Read(folder, "SELECT * FROM SavedQueries ORDER BY Name");

    cards.KeepCard(ada, PhoneCard("u-1"));

    Rows schemaAfter = Schema(folder);
    for (const auto& entry : schemaBefore)
        EXPECT_NE(std::find(schemaAfter.begin(), schemaAfter.end(), entry), schemaAfter.end()) << entry[1];
    EXPECT_EQ(Read(folder, "SELECT * FROM tblAddress ORDER BY ID"), addressesBefore);
    EXPECT_EQ(Read(folder, "SELECT * FROM SavedQueries ORDER BY Name"), queriesBefore);
    for (const char* table :
         {"OrvaneCards", "OrvaneSyncAccount", "OrvaneSyncItems", "OrvaneSyncPending", "OrvaneSyncConflicts",
          "OrvaneSyncRefused", "OrvaneSyncHeldProperties"})
        EXPECT_EQ(Read(folder, std::string("SELECT name FROM sqlite_master WHERE type = 'table' AND name = '") +
                                   table + "'")
                      .size(),
                  1u)
            << table;
    // Nothing besides our tables (and their indexes) was added.
    for (const auto& entry : schemaAfter) {
        if (std::find(schemaBefore.begin(), schemaBefore.end(), entry) != schemaBefore.end()) continue;
        EXPECT_TRUE(entry[2].starts_with("Orvane")) << entry[1];
    }

    // A second use finds them as they are and changes nothing.
    const Rows schemaOnce = Schema(folder);
    const std::string versionOnce = Read(folder, "PRAGMA schema_version")[0][0];
    EXPECT_EQ(cards.ReadCard(ada), PhoneCard("u-1"));
    EXPECT_EQ(Schema(folder), schemaOnce);
    EXPECT_EQ(Read(folder, "PRAGMA schema_version")[0][0], versionOnce);
}

TEST_F(CardStore, CardsComeBackByteForByte) {
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    const int alan = folder.InsertAddress("Alan", "Turing");
    EXPECT_EQ(cards.ReadCard(ada), std::nullopt);
    cards.KeepCard(ada, PhoneCard("u-ada"));
    cards.KeepCard(alan, "BEGIN:VCARD\nVERSION:4.0\nFN:Alan\nEND:VCARD\n");
    EXPECT_EQ(cards.ReadCard(ada), PhoneCard("u-ada"));
    EXPECT_EQ(cards.ReadCard(alan), "BEGIN:VCARD\nVERSION:4.0\nFN:Alan\nEND:VCARD\n");

    // Keeping again replaces; nothing else moves.
    cards.KeepCard(alan, PhoneCard("u-alan"));
    EXPECT_EQ(cards.ReadCard(alan), PhoneCard("u-alan"));
    EXPECT_EQ(cards.ReadCard(ada), PhoneCard("u-ada"));

    // The same in a fresh object: what is kept is in the file.
    CDataCardTier again(folder.DatabaseFile().string());
    std::vector<std::pair<std::int32_t, std::string>> all;
    again.ReadCards([&](std::int32_t id, const std::string& card) { all.emplace_back(id, card); });
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], std::make_pair(ada, PhoneCard("u-ada")));
    EXPECT_EQ(all[1], std::make_pair(alan, PhoneCard("u-alan")));

    again.DeleteCard(ada);
    EXPECT_EQ(again.ReadCard(ada), std::nullopt);
    EXPECT_EQ(again.ReadCard(alan), PhoneCard("u-alan"));
}

TEST_F(CardStore, ManyCardsGoInAsOneBatchOrNotAtAll) {
    int n = 0;
    cards.KeepCards([&](std::int32_t& id, std::string& card) {
        if (n == 1500) return false;
        id = 100 + n;
        card = PhoneCard("batch-" + std::to_string(n));
        ++n;
        return true;
    });
    int seen = 0;
    cards.ReadCards([&](std::int32_t id, const std::string& card) {
        EXPECT_EQ(card, PhoneCard("batch-" + std::to_string(id - 100)));
        ++seen;
    });
    EXPECT_EQ(seen, 1500);

    // A failure in the middle keeps none of the batch.
    int m = 0;
    const auto failed = orvane::test::ErrorOf([&] {
        cards.KeepCards([&](std::int32_t& id, std::string& card) {
            if (m == 10) throw orvane::Error(4242, "the reader stopped");
            id = 5000 + m;
            card = "x";
            ++m;
            return true;
        });
    });
    EXPECT_EQ(failed.Number(), 4242);  // the reader's own error comes through
    EXPECT_EQ(cards.ReadCard(5000), std::nullopt);
}

TEST_F(CardStore, DeletingAnAddressInTheWindowDeletesItsCardAndItsLink) {
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    const int alan = folder.InsertAddress("Alan", "Turing");
    cards.KeepCard(ada, PhoneCard("u-ada"));
    cards.KeepCard(alan, PhoneCard("u-alan"));
    CDataSyncStateTier state(folder.DatabaseFile().string());
    SyncItem item{"/book/ada.vcf", ada, "u-ada", "\"e1\"", {"Ada", "Lovelace", "", "", "", "", ""}, PhoneCard("u-ada"), {}};
    state.UpsertItems({item});

    CDataDBTier tier;  // the window's path to the same file
    tier.DeleteAddress(ada);

    EXPECT_EQ(cards.ReadCard(ada), std::nullopt);
    EXPECT_EQ(cards.ReadCard(alan), PhoneCard("u-alan"));
    const std::vector<SyncItem> items = state.ReadItems();
    ASSERT_EQ(items.size(), 1u);  // kept, so the next sync deletes the card on the server
    EXPECT_EQ(items[0].addressId, 0);
    EXPECT_EQ(items[0].card, PhoneCard("u-ada"));
}

TEST_F(CardStore, AddressesDeletedByAnotherProgramLoseTheirCardsAndLinks) {
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    const int alan = folder.InsertAddress("Alan", "Turing");
    cards.KeepCard(ada, PhoneCard("u-ada"));
    cards.KeepCard(alan, PhoneCard("u-alan"));
    CDataSyncStateTier state(folder.DatabaseFile().string());
    state.UpsertItems({{"/b/ada.vcf", ada, "u-ada", "", {"Ada", "Lovelace", "", "", "", "", ""}, "c1", {}},
                       {"/b/alan.vcf", alan, "u-alan", "", {"Alan", "Turing", "", "", "", "", ""}, "c2", {}}});
    folder.ExecSql("DELETE FROM tblAddress WHERE ID = " + std::to_string(ada));

    cards.AddressesDeletedElsewhere();

    EXPECT_EQ(cards.ReadCard(ada), std::nullopt);
    EXPECT_EQ(cards.ReadCard(alan), PhoneCard("u-alan"));
    const std::vector<SyncItem> items = state.ReadItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].addressId, 0);
    EXPECT_EQ(items[1].addressId, alan);
}

TEST_F(CardStore, DeletingInAFileWithoutOurTablesLeavesItAsItWas) {
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    const Rows schemaBefore = Schema(folder);
    CDataDBTier().DeleteAddress(ada);
    EXPECT_EQ(Schema(folder), schemaBefore);
    EXPECT_TRUE(Read(folder, "SELECT ID FROM tblAddress").empty());
}

TEST_F(CardStore, ForgetKeepsEveryAddressAndCard) {
    const int ada = folder.InsertAddress("Ada", "Lovelace");
    cards.KeepCard(ada, PhoneCard("u-ada"));
    CDataSyncStateTier state(folder.DatabaseFile().string());
    state.SetAccount({"https://dav.example.org", "ada", "https://dav.example.org/ada/book/", std::nullopt, "tok-1",
                      "2026-12-07T10:00:00Z", std::nullopt});
    state.UpsertItems({{"/book/ada.vcf", ada, "u-ada", "\"e1\"", {"Ada", "Lovelace", "", "", "", "", ""}, "card", {}}});
    state.AddPending({{0, PendingOperation::Kind::Update, "/book/ada.vcf", ada, "card", "\"e1\""}});
    state.AddConflicts({{0, ada, 2, "Lovelace", "King", "/book/ada.vcf", {}}});
    const Rows addressesBefore = Read(folder, "SELECT * FROM tblAddress ORDER BY ID");

    state.Forget();

    EXPECT_EQ(state.GetAccount(), std::nullopt);
    EXPECT_TRUE(state.ReadItems().empty());
    EXPECT_TRUE(state.ReadPending().empty());
    EXPECT_TRUE(state.ListConflicts().empty());
    EXPECT_EQ(cards.ReadCard(ada), PhoneCard("u-ada"));
    EXPECT_EQ(Read(folder, "SELECT * FROM tblAddress ORDER BY ID"), addressesBefore);
}

// A file that holds something of our names that the program did not make.
class AlteredFile : public ::testing::Test {
protected:
    void ExpectRefusedUntouched(const std::string& name) {
        const fs::path file = folder.DatabaseFile();
        const std::string before = orvane::test::ReadFileBytes(file);
        for (const auto& use : std::vector<std::function<void()>>{
                 [&] { CDataCardTier(file.string()).KeepCard(ada, "BEGIN:VCARD\r\nEND:VCARD\r\n"); },
                 [&] { CDataCardTier(file.string()).ReadCard(ada); },
                 [&] { CDataSyncStateTier(file.string()).GetAccount(); },
                 [&] { CDataSyncStateTier(file.string()).Forget(); }}) {
            const orvane::Error e = orvane::test::ErrorOf(use);
            EXPECT_EQ(e.Number(), 23) << e.Description();
            EXPECT_NE(e.Description().find("has been altered"), std::string::npos) << e.Description();
            EXPECT_NE(e.Description().find("'" + name + "'"), std::string::npos) << e.Description();
            EXPECT_NE(e.Description().find("Nothing was written."), std::string::npos) << e.Description();
            EXPECT_EQ(orvane::test::ReadFileBytes(file), before) << name;
        }
        // The window's delete has removed the address when the card store
        // finds the file altered: that is reported, and the store left alone.
        const Rows storeBefore = Schema(folder);
        EXPECT_EQ(orvane::test::ErrorNumberOf([&] { CDataDBTier().DeleteAddress(ada); }), 23) << name;
        EXPECT_EQ(Schema(folder), storeBefore);
    }

    TempAppFolder folder;
    int ada = folder.InsertAddress("Ada", "Lovelace");
};

// Something of our names that the program did not make, after (when named)
// one of our own tables made as the program makes it.
struct Alteration {
    const char* ourTableFirst;
    const char* sql;
    const char* refusedName;
};

class AlteredFileRefused : public AlteredFile, public ::testing::WithParamInterface<Alteration> {};

TEST_P(AlteredFileRefused, EveryUseIsRefusedAndTheFileLeftUntouched) {
    if (GetParam().ourTableFirst) folder.ExecSql(OurSql(folder, GetParam().ourTableFirst));
    folder.ExecSql(GetParam().sql);
    ExpectRefusedUntouched(GetParam().refusedName);
}

INSTANTIATE_TEST_SUITE_P(
    Alterations, AlteredFileRefused,
    ::testing::Values(
        // A table of our name with other columns.
        Alteration{nullptr, "CREATE TABLE OrvaneCards (AddressID INTEGER PRIMARY KEY, CardText TEXT NOT NULL, Spy TEXT)",
                   "OrvaneCards"},
        Alteration{nullptr, "CREATE TABLE orvanesyncaccount (Password TEXT)", "orvanesyncaccount"},  // other letters
        Alteration{"OrvaneCards", "CREATE TRIGGER Watch AFTER INSERT ON OrvaneCards BEGIN SELECT 1; END", "Watch"},
        Alteration{nullptr, "CREATE VIEW OrvaneSyncItems AS SELECT ID AS Href FROM tblAddress", "OrvaneSyncItems"},
        // An index of its own on our table.
        Alteration{"OrvaneSyncPending", "CREATE INDEX PendingByCard ON OrvaneSyncPending (CardText)", "PendingByCard"}),
    [](const ::testing::TestParamInfo<Alteration>& alteration) { return std::string(alteration.param.refusedName); });

// The account table as the program made it before it kept the book's
// display name: its account is read as it was, and the table gains the
// column, ending as the text a new file has.
TEST_F(AlteredFile, TheAccountTableOfAnEarlierVersionIsReadAndBroughtUpToDate) {
    folder.ExecSql(
        "CREATE TABLE OrvaneSyncAccount (\n"
        "    ID                 INTEGER PRIMARY KEY CHECK (ID = 1),\n"
        "    ServerUrl          TEXT NOT NULL,\n"
        "    UserName           TEXT NOT NULL,\n"
        "    AddressBookUrl     TEXT NOT NULL,\n"
        "    TrustedCertificate TEXT,\n"
        "    SyncToken          TEXT,\n"
        "    LastSyncTime       TEXT\n"
        ")");
    folder.ExecSql("INSERT INTO OrvaneSyncAccount VALUES (1, 'https://dav.example.org/', 'ann', "
                   "'https://dav.example.org/ann/book/', NULL, 'token-1', '2026-12-01T10:00:00Z')");
    const CDataSyncStateTier state(folder.DatabaseFile().string());
    const SyncAccount earlier{"https://dav.example.org/", "ann", "https://dav.example.org/ann/book/", std::nullopt,
                              std::string("token-1"), std::string("2026-12-01T10:00:00Z"), std::nullopt};
    EXPECT_EQ(state.GetAccount(), earlier);
    EXPECT_EQ(Read(folder, "SELECT sql FROM sqlite_master WHERE name = 'OrvaneSyncAccount'")[0][0],
              OurSql(folder, "OrvaneSyncAccount"));
    SyncAccount named = earlier;
    named.addressBookName = "Family";
    state.SetAccount(named);
    EXPECT_EQ(state.GetAccount(), named);
}

// A file of the version before properties of a card could be held in
// conflict: every table but that one. It gains it, and an item keeps its
// held properties; a table of that name the program did not make is refused.
TEST_F(AlteredFile, TheTablesOfTheVersionBeforeHeldPropertiesGainThemAndAForgedOneIsRefused) {
    for (const char* name : {"OrvaneCards", "OrvaneSyncAccount", "OrvaneSyncItems", "OrvaneSyncItemsByAddress",
                             "OrvaneSyncPending", "OrvaneSyncConflicts", "OrvaneSyncRefused"})
        folder.ExecSql(OurSql(folder, name));
    const CDataSyncStateTier state(folder.DatabaseFile().string());
    SyncItem item{"/book/ada.vcf", ada, "u-ada", "\"e1\"", {"Ada", "Lovelace", "", "", "", "", ""}, "card", {}};
    item.held = {{"NOTE", "ours", "theirs", "BEGIN:VCARD\r\nNOTE:old\r\nEND:VCARD\r\n"}};
    state.UpsertItems({item});
    EXPECT_EQ(state.ReadItems(), std::vector<SyncItem>{item});
    EXPECT_EQ(state.ListHeldProperties(), (std::vector<HeldPropertyOfAddress>{{ada, item.href, item.held[0]}}));
    item.held.clear();
    state.UpsertItems({item});
    EXPECT_EQ(state.ReadItems(), std::vector<SyncItem>{item});

    folder.ExecSql("DROP TABLE OrvaneSyncHeldProperties");
    folder.ExecSql("CREATE TABLE OrvaneSyncHeldProperties (Href TEXT, Property TEXT, Copy TEXT)");
    ExpectRefusedUntouched("OrvaneSyncHeldProperties");
}

TEST_F(AlteredFile, OurOwnTableMadeEarlierIsTakenAndTheRestAdded) {
    folder.ExecSql(OurSql(folder, "OrvaneCards"));
    CDataCardTier(folder.DatabaseFile().string()).KeepCard(ada, "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_EQ(CDataCardTier(folder.DatabaseFile().string()).ReadCard(ada), "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_EQ(CDataSyncStateTier(folder.DatabaseFile().string()).GetAccount(), std::nullopt);
}

}  // namespace

namespace {

TEST(CardStorePaths, AnyFileNameReachesItsOwnFile) {
    TempAppFolder folder;
    for (const std::string name : {"semi;colon.mdb", "q\"uote'd.mdb", "a;Data Source=b.mdb"}) {
        SCOPED_TRACE(name);
        const std::string file = (folder.Root() / "Documents" / name).string();
        AddressbookSchema::CreateDatabase(file);
        CDataCardTier(file).KeepCard(1, name);
        EXPECT_EQ(CDataCardTier(file).ReadCard(1), name);
    }
    // The window's own file was never touched.
    EXPECT_EQ(Read(folder, "SELECT name FROM sqlite_master WHERE name = 'OrvaneCards'").size(), 0u);
}

}  // namespace
