#include "CDataCardTier.h"

#include "SqlLiteral.h"
#include "StoreSession.h"

CDataCardTier::CDataCardTier(std::string strDatabase) : mstrDatabase(std::move(strDatabase)) {}

std::string CDataCardTier::KeepCardStatement(std::int32_t lngAddressID, const std::string& strCard) {
    return "INSERT INTO OrvaneCards (AddressID, CardText) VALUES (" + SqlLiteral::Number(lngAddressID) + ", " +
           SqlLiteral::Text(strCard) + ") ON CONFLICT (AddressID) DO UPDATE SET CardText = excluded.CardText";
}

std::string CDataCardTier::KeepBoundCardsStatement(const std::vector<std::int32_t>& addressIDs) {
    std::string sql = "INSERT INTO OrvaneCards (AddressID, CardText) VALUES ";
    for (std::size_t i = 0; i < addressIDs.size(); ++i)
        sql += (i ? ", (" : "(") + SqlLiteral::Number(addressIDs[i]) + ", ?" + std::to_string(i + 1) + ")";
    return sql + " ON CONFLICT (AddressID) DO UPDATE SET CardText = excluded.CardText";
}

void CDataCardTier::KeepCard(std::int32_t lngAddressID, const std::string& strCard) const {
    StoreSession session(mstrDatabase);
    session.Execute(KeepCardStatement(lngAddressID, strCard));
    session.Commit();
}

void CDataCardTier::KeepCards(const std::function<bool(std::int32_t&, std::string&)>& next) const {
    StoreSession session(mstrDatabase);
    std::int32_t lngAddressID = 0;
    std::string strCard;
    while (next(lngAddressID, strCard)) session.Execute(KeepCardStatement(lngAddressID, strCard));
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
