// The sync state in the database file: the account, the linked items, the
// writes recorded before they are sent and the held conflicts, each kept
// exactly and in one transaction per call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CDataSyncStateTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "core/Error.h"

using orvane::test::TempAppFolder;

namespace {

SyncItem Item(const std::string& name, std::optional<std::int32_t> address, std::optional<std::string> etag) {
    return SyncItem{"/dav/ada/book/" + name + ".vcf",
                    address.value_or(0),
                    "uid-" + name,
                    std::move(etag).value_or(""),
                    {"First " + name, "Last", "1 Rue d'Ici", "75001", "\xC3\x8Ele", "France", "+33 1 23"},
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:uid-" + name + "\r\nFN:First " + name + "\r\nEND:VCARD\r\n",
                    {}};
}

class SyncState : public ::testing::Test {
protected:
    TempAppFolder folder;
    CDataSyncStateTier state{folder.DatabaseFile().string()};
};

TEST_F(SyncState, TheAccountIsKeptAsGivenAndHasNoPassword) {
    EXPECT_EQ(state.GetAccount(), std::nullopt);
    const SyncAccount account{"dav.example.org:8443/", "ada@example.org", "https://dav.example.org:8443/ada/book/",
                              std::string("-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"),
                              std::nullopt, std::nullopt, std::string("Book")};
    state.SetAccount(account);
    EXPECT_EQ(CDataSyncStateTier(folder.DatabaseFile().string()).GetAccount(), account);

    state.SetSyncToken(std::string("http://radicale.org/ns/sync/abc'1"), "2026-12-07T15:00:00Z");
    SyncAccount synced = account;
    synced.syncToken = "http://radicale.org/ns/sync/abc'1";
    synced.lastSyncTime = "2026-12-07T15:00:00Z";
    EXPECT_EQ(state.GetAccount(), synced);

    // Another account replaces the first; no certificate is none.
    SyncAccount other{"http://127.0.0.1:5232/", "bob", "http://127.0.0.1:5232/bob/c/", std::nullopt, std::nullopt,
                      std::nullopt, std::nullopt};
    state.SetAccount(other);
    EXPECT_EQ(state.GetAccount(), other);

    orvane::adodb::Connection cnn;
    cnn.Open(folder.ConnectionString());
    orvane::adodb::Recordset rst;
    rst.Open("SELECT name FROM pragma_table_info('OrvaneSyncAccount') WHERE lower(name) LIKE '%pass%'", cnn);
    EXPECT_TRUE(rst.Eof());

    state.ClearAccount();
    EXPECT_EQ(state.GetAccount(), std::nullopt);
}

TEST_F(SyncState, ItemsAreUpsertedByHrefAndKeepTheirETagExactly) {
    std::vector<SyncItem> items{Item("a", 1, std::string("\"6f-5a\"")), Item("b", 2, std::string("W/\"x'y\"")),
                                Item("c", std::nullopt, std::nullopt)};
    state.UpsertItems(items);
    EXPECT_EQ(state.ReadItems(), items);

    // The same href again replaces that item, whatever changed.
    SyncItem changed = Item("b", 7, std::nullopt);
    changed.base[1] = "Other";
    changed.card = "BEGIN:VCARD\nEND:VCARD\n";
    state.UpsertItems({changed});
    items[1] = changed;
    EXPECT_EQ(state.ReadItems(), items);

    state.DeleteItems({items[0].href, "/not/there.vcf"});
    EXPECT_EQ(state.ReadItems(), (std::vector<SyncItem>{items[1], items[2]}));
}

TEST_F(SyncState, AThousandsOfItemsGoInAtOnce) {
    std::vector<SyncItem> items;
    for (int i = 0; i < 3000; ++i) items.push_back(Item("n" + std::to_string(10000 + i), 1 + i, "\"e" + std::to_string(i) + "\""));
    state.UpsertItems(items);
    EXPECT_EQ(state.ReadItems(), items);
}

TEST_F(SyncState, PendingWritesKeepTheirOrderUntilRemoved) {
    using Kind = PendingOperation::Kind;
    std::vector<PendingOperation> ops{{0, Kind::Create, "/b/new.vcf", 4, "BEGIN:VCARD\r\nUID:n\r\nEND:VCARD\r\n", std::nullopt},
                                      {0, Kind::Update, "/b/a.vcf", 1, "BEGIN:VCARD\r\nEND:VCARD\r\n", "\"e1\""},
                                      {0, Kind::Delete, "/b/gone.vcf", std::nullopt, std::nullopt, "\"e9\""}};
    const std::vector<PendingOperation> stored = state.AddPending(ops);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_LT(stored[0].id, stored[1].id);
    EXPECT_LT(stored[1].id, stored[2].id);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        ops[i].id = stored[i].id;
        EXPECT_EQ(stored[i], ops[i]);
    }
    EXPECT_EQ(CDataSyncStateTier(folder.DatabaseFile().string()).ReadPending(), ops);

    state.RemovePending({stored[0].id, stored[2].id});
    EXPECT_EQ(state.ReadPending(), (std::vector<PendingOperation>{ops[1]}));
    state.RemovePending({});
    EXPECT_EQ(state.ReadPending().size(), 1u);
}

TEST_F(SyncState, ConflictsAreHeldOnePerFieldUntilRemoved) {
    state.AddConflicts({{0, 5, 2, "Lovelace", "King", std::string("/b/a.vcf"), {}},
                        {0, 5, 7, "+44 1", "+44 2", std::nullopt, {}}});
    state.AddConflicts({{0, 5, 2, "Lovelace", "Byron", std::string("/b/a.vcf"), {}}});  // the same field again
    const std::vector<HeldConflict> held = state.ListConflicts();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].fieldIndex, 2);
    EXPECT_EQ(held[0].serverValue, "Byron");
    EXPECT_EQ(held[1].fieldIndex, 7);
    EXPECT_EQ(held[1].localValue, "+44 1");
    EXPECT_EQ(held[1].href, std::nullopt);

    state.RemoveConflicts({held[0].id});
    ASSERT_EQ(state.ListConflicts().size(), 1u);
    EXPECT_EQ(state.ListConflicts()[0].fieldIndex, 7);
}

TEST_F(SyncState, ABatchThatFailsStoresNothing) {
    // A field index outside the record is refused by the table, after two
    // good conflicts of the same call.
    EXPECT_THROW(state.AddConflicts({{0, 1, 1, "a", "b", std::nullopt, {}},
                                     {0, 2, 3, "c", "d", std::nullopt, {}},
                                     {0, 3, 8, "e", "f", std::nullopt, {}}}),
                 orvane::Error);
    EXPECT_TRUE(state.ListConflicts().empty());
}

}  // namespace
