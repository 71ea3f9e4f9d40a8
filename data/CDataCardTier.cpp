#include "CDataCardTier.h"

#include "DatabaseBackup.h"
#include "SqlLiteral.h"
#include "StoreSession.h"

namespace SyncTables = orvane::data::SyncTables;
namespace SqlLiteral = orvane::data::SqlLiteral;

CDataCardTier::CDataCardTier(std::string strDatabase) : mstrDatabase(std::move(strDatabase)) {}

std::string CDataCardTier::KeepBoundCardsStatement(const std::vector<std::int32_t>& addressIDs) {
    std::string sql = "INSERT INTO OrvaneCards (AddressID, CardText) VALUES ";
    for (std::size_t i = 0; i < addressIDs.size(); ++i)
        // Plain "?" (the nth is the nth card): the engine looks up each
        // numbered "?N" among all before it, which grows with the square of
        // their count.
        sql += (i ? ", (" : "(") + SqlLiteral::Number(addressIDs[i]) + ", ?)";
    return sql + " ON CONFLICT (AddressID) DO UPDATE SET CardText = excluded.CardText";
}

void CDataCardTier::KeepCard(std::int32_t lngAddressID, const std::string& strCard) const {
    StoreSession session(mstrDatabase);
    session.Execute(KeepBoundCardsStatement({lngAddressID}), {strCard});
    session.AddressesChanged({lngAddressID});
    session.Commit();
}

void CDataCardTier::KeepCards(const std::function<bool(std::int32_t&, std::string&)>& next) const {
    // Cards go in by hundreds, each bound: one short statement to prepare
    // per chunk instead of one per card.
    constexpr std::size_t kChunk = 500;
    StoreSession session(mstrDatabase);
    std::vector<std::int32_t> ids;
    std::vector<std::string> cards;
    const auto flush = [&] {
        if (ids.empty()) return;
        session.Execute(KeepBoundCardsStatement(ids), std::vector<std::string_view>(cards.begin(), cards.end()));
        session.AddressesChanged(ids);
        ids.clear();
        cards.clear();
    };
    std::int32_t lngAddressID = 0;
    std::string strCard;
    while (next(lngAddressID, strCard)) {
        ids.push_back(lngAddressID);
        cards.push_back(std::move(strCard));
        if (ids.size() == kChunk) flush();
    }
    flush();
    session.Commit();
}

std::optional<std::string> CDataCardTier::ReadCard(std::int32_t lngAddressID) const {
    StoreSession session(mstrDatabase);
    std::optional<std::string> card;
    session.ForEachRow("SELECT CardText FROM OrvaneCards WHERE AddressID = " + SqlLiteral::Number(lngAddressID),
                       [&](const orvane::VariantArray& rows, std::int32_t row) { card = rows.At(0, row).JoinEmpty(); });
    session.Commit();
    return card;
}

void CDataCardTier::DeleteCard(std::int32_t lngAddressID) const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneCards WHERE AddressID = " + SqlLiteral::Number(lngAddressID));
    session.AddressesChanged({lngAddressID});
    session.Commit();
}

void CDataCardTier::ReadCards(const std::function<void(std::int32_t, const std::string&)>& onCard) const {
    StoreSession session(mstrDatabase);
    session.ForEachRow("SELECT AddressID, CardText FROM OrvaneCards ORDER BY AddressID",
                       [&](const orvane::VariantArray& rows, std::int32_t row) {
                           onCard(rows.At(0, row).ToLong(), rows.At(1, row).JoinEmpty());
                       });
    session.Commit();
}

void CDataCardTier::AddressDeleted(std::int32_t lngAddressID) const {
    StoreSession session(mstrDatabase, StoreSession::Tables::InspectOnly);
    if (session.FoundTables() == SyncTables::State::Missing) return;
    session.CreateMissingTables();
    session.Execute("DELETE FROM OrvaneCards WHERE AddressID = " + SqlLiteral::Number(lngAddressID));
    session.AddressesChanged({lngAddressID});
    session.Execute("UPDATE OrvaneSyncItems SET AddressID = NULL WHERE AddressID = " + SqlLiteral::Number(lngAddressID));
    session.Commit();
}

void CDataCardTier::AddressesDeletedElsewhere() const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneCards WHERE AddressID NOT IN (SELECT ID FROM tblAddress)");
    session.Execute(
        "UPDATE OrvaneSyncItems SET AddressID = NULL "
        "WHERE AddressID IS NOT NULL AND AddressID NOT IN (SELECT ID FROM tblAddress)");
    session.Commit();
}

std::optional<CDataCardTier::AddressWithCard> CDataCardTier::ReadAddressWithCard(std::int32_t lngAddressID) const {
    StoreSession session(mstrDatabase, StoreSession::Tables::InspectOnly);
    std::optional<AddressWithCard> found;
    session.ForEachRow("SELECT FirstName, LastName, Address, PostalCode, State, Country, Phone FROM tblAddress WHERE ID = " +
                           SqlLiteral::Number(lngAddressID),
                       [&](const orvane::VariantArray& rows, std::int32_t row) {
                           found.emplace();
                           for (std::int32_t i = 0; i < 7; ++i)
                               found->fields[static_cast<std::size_t>(i)] = rows.At(i, row).JoinEmpty();
                       });
    if (found && session.FoundTables() != SyncTables::State::Missing)
        session.ForEachRow("SELECT CardText FROM OrvaneCards WHERE AddressID = " + SqlLiteral::Number(lngAddressID),
                           [&](const orvane::VariantArray& rows, std::int32_t row) {
                               found->card = rows.At(0, row).JoinEmpty();
                           });
    session.Commit();
    return found;
}

bool CDataCardTier::SaveCardWithAddress(std::int32_t lngAddressID, const std::array<std::string, 7>& fields,
                                        const std::string& strCard) const {
    DatabaseBackup::RefuseWritesIfDamaged();
    StoreSession session(mstrDatabase);
    bool exists = false;
    session.ForEachRow("SELECT ID FROM tblAddress WHERE ID = " + SqlLiteral::Number(lngAddressID),
                       [&](const orvane::VariantArray&, std::int32_t) { exists = true; });
    if (!exists) return false;
    session.Execute(KeepBoundCardsStatement({lngAddressID}), {strCard});
    std::vector<orvane::Variant> values(fields.begin(), fields.end());
    values.emplace_back(lngAddressID);
    session.ExecuteSavedQuery("UpdateAddress", values);
    session.Commit();
    return true;
}

void CDataCardTier::ReadEditedCards(const std::function<void(std::int32_t, const std::string&)>& onCard) const {
    StoreSession session(mstrDatabase, StoreSession::Tables::InspectOnly);
    if (session.FoundTables() != SyncTables::State::Missing)
        session.ForEachRow("SELECT c.AddressID, c.CardText FROM OrvaneCards c JOIN OrvaneSyncItems i ON i.AddressID = "
                           "c.AddressID WHERE i.ServerCard <> '' AND c.CardText <> i.ServerCard ORDER BY c.AddressID",
                           [&](const orvane::VariantArray& rows, std::int32_t row) {
                               onCard(rows.At(0, row).ToLong(), rows.At(1, row).JoinEmpty());
                           });
    session.Commit();
}
