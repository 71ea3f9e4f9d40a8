#include "CDataSyncBatch.h"

#include <map>

#include "CDataCardTier.h"
#include "CDataSyncStateTier.h"
#include "DatabaseBackup.h"
#include "SqlLiteral.h"
#include "StoreSession.h"
#include "adodb/Command.h"

namespace SqlLiteral = orvane::data::SqlLiteral;

namespace {

std::string IdList(const std::vector<std::int32_t>& ids) {
    std::string list = "(";
    for (std::size_t i = 0; i < ids.size(); ++i) list += (i ? ", " : "") + SqlLiteral::Number(ids[i]);
    return list + ")";
}

// The addresses as they stand now, read inside the write transaction (so no
// save can come between this check and the write).
std::map<std::int32_t, CDataSyncBatch::Fields> ReadNow(StoreSession& session, const std::vector<std::int32_t>& ids) {
    std::map<std::int32_t, CDataSyncBatch::Fields> now;
    constexpr std::size_t kChunk = 500;
    for (std::size_t first = 0; first < ids.size(); first += kChunk) {
        const std::vector<std::int32_t> chunk(ids.begin() + static_cast<std::ptrdiff_t>(first),
                                              ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), first + kChunk)));
        session.ForEachRow(
            "SELECT ID, FirstName, LastName, Address, PostalCode, State, Country, Phone FROM tblAddress WHERE ID IN " +
                IdList(chunk),
            [&](const orvane::VariantArray& rows, std::int32_t row) {
                CDataSyncBatch::Fields fields;
                for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = rows.At(i, row).JoinEmpty();
                now[rows.At(0, row).ToLong()] = std::move(fields);
            });
    }
    return now;
}

}  // namespace

CDataSyncBatch::CDataSyncBatch(std::string strDatabase)
    : mstrDatabase(std::move(strDatabase)) {}

std::vector<bool> CDataSyncBatch::Apply(const std::vector<Change>& changes) const {
    std::vector<bool> written(changes.size(), false);
    if (changes.empty()) return written;
    DatabaseBackup::RefuseWritesIfDamaged();
    StoreSession session(mstrDatabase);
    std::vector<std::int32_t> ids;
    ids.reserve(changes.size());
    for (const Change& change : changes) ids.push_back(change.lngAddressID);
    const std::map<std::int32_t, Fields> now = ReadNow(session, ids);

    std::vector<const Change*> updates;
    std::vector<std::int32_t> deleted;
    std::vector<SyncItem> items;
    std::vector<std::int32_t> cardIds;
    std::vector<std::string_view> cards;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Change& change = changes[i];
        const auto found = now.find(change.lngAddressID);
        // Gone, or saved in the window since the run read it: left alone.
        if (found == now.end() || (change.read && found->second != *change.read)) continue;
        written[i] = true;
        if (change.fields) updates.push_back(&change);
        else deleted.push_back(change.lngAddressID);
        if (change.item) items.push_back(*change.item);
        if (change.fields && !change.card.empty()) {
            cardIds.push_back(change.lngAddressID);
            cards.push_back(change.card);
        }
    }

    // "UpdateAddress" prepared once for the whole batch.
    std::size_t next = 0;
    if (!updates.empty())
        orvane::adodb::ExecuteSavedQueryBatch(session.Connection(), "UpdateAddress", [&](std::vector<orvane::Variant>& values) {
            if (next == updates.size()) return false;
            const Change& change = *updates[next++];
            values.clear();
            for (const std::string& field : *change.fields) values.emplace_back(field);
            values.emplace_back(change.lngAddressID);
            return true;
        });
    if (!deleted.empty()) {
        // As for a delete in the window: the card goes, the link to the server is let go.
        const std::string list = IdList(deleted);
        session.Execute("DELETE FROM tblAddress WHERE ID IN " + list);
        session.Execute("DELETE FROM OrvaneCards WHERE AddressID IN " + list);
        session.Execute("UPDATE OrvaneSyncItems SET AddressID = NULL WHERE AddressID IN " + list);
        for (std::size_t i = 0; i < changes.size(); ++i)
            if (written[i] && !changes[i].fields && !changes[i].droppedHref.empty())
                session.Execute("DELETE FROM OrvaneSyncItems WHERE Href = " + SqlLiteral::Text(changes[i].droppedHref));
    }
    CDataSyncStateTier::UpsertItemsIn(session, items);
    constexpr std::size_t kCardChunk = 500;
    for (std::size_t first = 0; first < cardIds.size(); first += kCardChunk) {
        const std::size_t last = std::min(cardIds.size(), first + kCardChunk);
        session.Execute(CDataCardTier::KeepBoundCardsStatement(std::vector<std::int32_t>(
                            cardIds.begin() + static_cast<std::ptrdiff_t>(first), cardIds.begin() + static_cast<std::ptrdiff_t>(last))),
                        std::vector<std::string_view>(cards.begin() + static_cast<std::ptrdiff_t>(first),
                                                      cards.begin() + static_cast<std::ptrdiff_t>(last)));
    }
    session.Commit();
    return written;
}
