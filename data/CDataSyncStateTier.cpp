#include "CDataSyncStateTier.h"

#include <algorithm>
#include <map>

#include "SqlLiteral.h"
#include "StoreSession.h"

namespace SyncTables = orvane::data::SyncTables;
namespace SqlLiteral = orvane::data::SqlLiteral;

using orvane::Variant;
using orvane::VariantArray;

namespace {

std::optional<std::string> TextOrNone(const Variant& v) {
    if (v.IsNull()) return std::nullopt;
    return v.JoinEmpty();
}

std::optional<std::int32_t> NumberOrNone(const Variant& v) {
    if (v.IsNull()) return std::nullopt;
    return v.ToLong();
}

const char* KindName(PendingOperation::Kind kind) {
    switch (kind) {
        case PendingOperation::Kind::Create: return "create";
        case PendingOperation::Kind::Update: return "update";
        case PendingOperation::Kind::Delete: return "delete";
    }
    return "create";
}

PendingOperation::Kind KindOf(const std::string& name) {
    if (name == "update") return PendingOperation::Kind::Update;
    if (name == "delete") return PendingOperation::Kind::Delete;
    return PendingOperation::Kind::Create;
}

// "(1, 2, 3)" for a list of IDs, "(NULL)" for none (matches no row).
std::string NumberList(const std::vector<std::int32_t>& ids) {
    if (ids.empty()) return "(NULL)";
    std::string list = "(";
    for (std::size_t i = 0; i < ids.size(); ++i) list += (i ? ", " : "") + SqlLiteral::Number(ids[i]);
    return list + ")";
}

}  // namespace

CDataSyncStateTier::CDataSyncStateTier(std::string strDatabase) : mstrDatabase(std::move(strDatabase)) {}

std::optional<SyncAccount> CDataSyncStateTier::GetAccount() const {
    StoreSession session(mstrDatabase);
    std::optional<SyncAccount> account;
    session.ForEachRow(
        "SELECT ServerUrl, UserName, AddressBookUrl, TrustedCertificate, SyncToken, LastSyncTime, AddressBookName "
        "FROM OrvaneSyncAccount WHERE ID = 1",
        [&](const VariantArray& r, std::int32_t j) {
            account = SyncAccount{r.At(0, j).JoinEmpty(), r.At(1, j).JoinEmpty(), r.At(2, j).JoinEmpty(),
                                  TextOrNone(r.At(3, j)),  TextOrNone(r.At(4, j)),  TextOrNone(r.At(5, j)),
                                  TextOrNone(r.At(6, j))};
        });
    session.Commit();
    return account;
}

void CDataSyncStateTier::SetAccount(const SyncAccount& a) const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneSyncAccount");
    session.Execute(
        "INSERT INTO OrvaneSyncAccount (ID, ServerUrl, UserName, AddressBookUrl, TrustedCertificate, SyncToken, "
        "LastSyncTime, AddressBookName) VALUES (1, " +
        SqlLiteral::Text(a.serverUrl) + ", " + SqlLiteral::Text(a.userName) + ", " + SqlLiteral::Text(a.addressBookUrl) +
        ", " + SqlLiteral::TextOrNull(a.trustedCertificate) + ", " + SqlLiteral::TextOrNull(a.syncToken) + ", " +
        SqlLiteral::TextOrNull(a.lastSyncTime) + ", " + SqlLiteral::TextOrNull(a.addressBookName) + ")");
    session.Commit();
}

void CDataSyncStateTier::SetSyncToken(const std::optional<std::string>& token, const std::string& lastSyncTime) const {
    StoreSession session(mstrDatabase);
    session.Execute("UPDATE OrvaneSyncAccount SET SyncToken = " + SqlLiteral::TextOrNull(token) +
                    ", LastSyncTime = " + SqlLiteral::Text(lastSyncTime) + " WHERE ID = 1");
    session.Commit();
}

void CDataSyncStateTier::ClearAccount() const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneSyncAccount");
    session.Commit();
}

void CDataSyncStateTier::UpsertItemsIn(StoreSession& session, const std::vector<SyncItem>& items) {
    // Items go in by hundreds in one statement each, their texts bound: a
    // server's card is long, and one short statement per chunk is prepared
    // instead of one per item.
    constexpr std::size_t kChunk = 500;
    for (std::size_t first = 0; first < items.size(); first += kChunk) {
        const std::size_t last = std::min(items.size(), first + kChunk);
        // Plain "?", bound in the order written: the engine looks up each
        // numbered "?N" among all before it, which grows with the square of
        // their count.
        std::vector<std::string_view> texts;
        std::string rows;
        for (std::size_t i = first; i < last; ++i) {
            const SyncItem& item = items[i];
            // No address (0) and no ETag (empty) are stored as NULL.
            rows += std::string(i > first ? ", " : "") + "(?, " +
                    (item.addressId != 0 ? SqlLiteral::Number(item.addressId) : std::string("NULL")) + ", ?, ";
            texts.insert(texts.end(), {item.href, item.uid});
            rows += item.etag.empty() ? "NULL" : "?";
            if (!item.etag.empty()) texts.push_back(item.etag);
            for (const std::string& field : item.base) {
                rows += ", ?";
                texts.push_back(field);
            }
            rows += ", ?)";
            texts.push_back(item.card);
        }
        session.Execute(
            "INSERT INTO OrvaneSyncItems (Href, AddressID, Uid, ETag, BaseFirstName, BaseLastName, BaseAddress, "
            "BasePostalCode, BaseState, BaseCountry, BasePhone, ServerCard) VALUES " +
                rows +
                " ON CONFLICT (Href) DO UPDATE SET AddressID = excluded.AddressID, Uid = excluded.Uid, "
                "ETag = excluded.ETag, BaseFirstName = excluded.BaseFirstName, BaseLastName = excluded.BaseLastName, "
                "BaseAddress = excluded.BaseAddress, BasePostalCode = excluded.BasePostalCode, "
                "BaseState = excluded.BaseState, BaseCountry = excluded.BaseCountry, BasePhone = excluded.BasePhone, "
                "ServerCard = excluded.ServerCard",
            texts);
        // The properties held in conflict go with their item: replaced as a whole.
        std::vector<std::string_view> hrefs;
        std::string list;
        for (std::size_t i = first; i < last; ++i) {
            list += i > first ? ", ?" : "?";
            hrefs.push_back(items[i].href);
        }
        session.Execute("DELETE FROM OrvaneSyncHeldProperties WHERE Href IN (" + list + ")", hrefs);
        for (std::size_t i = first; i < last; ++i)
            for (const HeldProperty& held : items[i].held)
                session.Execute("INSERT INTO OrvaneSyncHeldProperties (Href, Property, LocalValue, ServerValue, BaseCard) "
                                "VALUES (?, ?, ?, ?, ?)",
                                {items[i].href, held.property, held.localValue, held.serverValue, held.baseCard});
    }
}

void CDataSyncStateTier::UpsertItems(const std::vector<SyncItem>& items) const {
    StoreSession session(mstrDatabase);
    UpsertItemsIn(session, items);
    session.Commit();
}

std::vector<SyncItem> CDataSyncStateTier::ReadItems() const {
    StoreSession session(mstrDatabase);
    std::vector<SyncItem> items;
    session.ForEachRow(
        "SELECT Href, AddressID, Uid, ETag, BaseFirstName, BaseLastName, BaseAddress, BasePostalCode, BaseState, "
        "BaseCountry, BasePhone, ServerCard FROM OrvaneSyncItems ORDER BY Href",
        [&](const VariantArray& r, std::int32_t j) {
            SyncItem item;
            item.href = r.At(0, j).JoinEmpty();
            item.addressId = NumberOrNone(r.At(1, j)).value_or(0);
            item.uid = r.At(2, j).JoinEmpty();
            item.etag = TextOrNone(r.At(3, j)).value_or("");
            for (std::int32_t f = 0; f < 7; ++f) item.base[static_cast<std::size_t>(f)] = r.At(4 + f, j).JoinEmpty();
            item.card = r.At(11, j).JoinEmpty();
            items.push_back(std::move(item));
        });
    std::map<std::string, std::size_t> byHref;
    for (std::size_t i = 0; i < items.size(); ++i) byHref[items[i].href] = i;
    session.ForEachRow("SELECT Href, Property, LocalValue, ServerValue, BaseCard FROM OrvaneSyncHeldProperties "
                       "ORDER BY Href, Property",
                       [&](const VariantArray& r, std::int32_t j) {
                           const auto item = byHref.find(r.At(0, j).JoinEmpty());
                           if (item == byHref.end()) return;
                           items[item->second].held.push_back({r.At(1, j).JoinEmpty(), r.At(2, j).JoinEmpty(),
                                                               r.At(3, j).JoinEmpty(), r.At(4, j).JoinEmpty()});
                       });
    session.Commit();
    return items;
}

std::vector<HeldPropertyOfAddress> CDataSyncStateTier::ListHeldProperties() const {
    StoreSession session(mstrDatabase);
    std::vector<HeldPropertyOfAddress> held;
    session.ForEachRow(
        "SELECT i.AddressID, h.Href, h.Property, h.LocalValue, h.ServerValue, h.BaseCard "
        "FROM OrvaneSyncHeldProperties h JOIN OrvaneSyncItems i ON i.Href = h.Href "
        "WHERE i.AddressID IS NOT NULL ORDER BY i.AddressID, h.Property",
        [&](const VariantArray& r, std::int32_t j) {
            held.push_back({r.At(0, j).ToLong(), r.At(1, j).JoinEmpty(),
                            {r.At(2, j).JoinEmpty(), r.At(3, j).JoinEmpty(), r.At(4, j).JoinEmpty(), r.At(5, j).JoinEmpty()}});
        });
    session.Commit();
    return held;
}

void CDataSyncStateTier::DeleteItems(const std::vector<std::string>& hrefs) const {
    StoreSession session(mstrDatabase);
    for (const std::string& href : hrefs) {
        session.Execute("DELETE FROM OrvaneSyncItems WHERE Href = " + SqlLiteral::Text(href));
        session.Execute("DELETE FROM OrvaneSyncHeldProperties WHERE Href = " + SqlLiteral::Text(href));
    }
    session.Commit();
}

std::vector<PendingOperation> CDataSyncStateTier::AddPending(std::vector<PendingOperation> operations) const {
    StoreSession session(mstrDatabase);
    for (PendingOperation& op : operations) {
        session.Execute("INSERT INTO OrvaneSyncPending (Kind, Href, AddressID, CardText, IfMatch) VALUES (" +
                        SqlLiteral::Text(KindName(op.kind)) + ", " + SqlLiteral::Text(op.href) + ", " +
                        SqlLiteral::NumberOrNull(op.addressId) + ", " + SqlLiteral::TextOrNull(op.cardText) + ", " +
                        SqlLiteral::TextOrNull(op.ifMatch) + ")");
        session.ForEachRow("SELECT last_insert_rowid()",
                           [&](const VariantArray& r, std::int32_t j) { op.id = r.At(0, j).ToLong(); });
    }
    session.Commit();
    return operations;
}

void CDataSyncStateTier::RemovePending(const std::vector<std::int32_t>& ids) const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneSyncPending WHERE ID IN " + NumberList(ids));
    session.Commit();
}

std::vector<PendingOperation> CDataSyncStateTier::ReadPending() const {
    StoreSession session(mstrDatabase);
    std::vector<PendingOperation> operations;
    session.ForEachRow("SELECT ID, Kind, Href, AddressID, CardText, IfMatch FROM OrvaneSyncPending ORDER BY ID",
                       [&](const VariantArray& r, std::int32_t j) {
                           operations.push_back(PendingOperation{r.At(0, j).ToLong(), KindOf(r.At(1, j).JoinEmpty()),
                                                                 r.At(2, j).JoinEmpty(), NumberOrNone(r.At(3, j)),
                                                                 TextOrNone(r.At(4, j)), TextOrNone(r.At(5, j))});
                       });
    session.Commit();
    return operations;
}

void CDataSyncStateTier::AddConflicts(const std::vector<HeldConflict>& conflicts) const {
    StoreSession session(mstrDatabase);
    for (const HeldConflict& c : conflicts)
        session.Execute("INSERT INTO OrvaneSyncConflicts (AddressID, FieldIndex, LocalValue, ServerValue, Href) VALUES (" +
                        SqlLiteral::Number(c.addressId) + ", " + SqlLiteral::Number(c.fieldIndex) + ", " +
                        SqlLiteral::Text(c.localValue) + ", " + SqlLiteral::Text(c.serverValue) + ", " +
                        SqlLiteral::TextOrNull(c.href) +
                        ") ON CONFLICT (AddressID, FieldIndex) DO UPDATE SET LocalValue = excluded.LocalValue, "
                        "ServerValue = excluded.ServerValue, Href = excluded.Href");
    session.Commit();
}

std::vector<HeldConflict> CDataSyncStateTier::ListConflicts() const {
    StoreSession session(mstrDatabase);
    std::vector<HeldConflict> conflicts;
    session.ForEachRow(
        "SELECT ID, AddressID, FieldIndex, LocalValue, ServerValue, Href FROM OrvaneSyncConflicts "
        "ORDER BY AddressID, FieldIndex",
        [&](const VariantArray& r, std::int32_t j) {
            conflicts.push_back(HeldConflict{r.At(0, j).ToLong(), r.At(1, j).ToLong(), r.At(2, j).ToLong(),
                                             r.At(3, j).JoinEmpty(), r.At(4, j).JoinEmpty(), TextOrNone(r.At(5, j)),
                                             {}});
        });
    session.Commit();
    return conflicts;
}

void CDataSyncStateTier::RemoveConflicts(const std::vector<std::int32_t>& ids) const {
    StoreSession session(mstrDatabase);
    session.Execute("DELETE FROM OrvaneSyncConflicts WHERE ID IN " + NumberList(ids));
    session.Commit();
}

void CDataSyncStateTier::AddRefusal(const RefusedWrite& r) const {
    StoreSession session(mstrDatabase);
    std::string same = "Href = ?";
    if (r.addressId) same += " OR AddressID = " + SqlLiteral::Number(*r.addressId);
    session.Execute("DELETE FROM OrvaneSyncRefused WHERE " + same, {r.href});
    session.Execute("INSERT INTO OrvaneSyncRefused (Href, AddressID, CardHash, Reason) VALUES (?, " +
                        SqlLiteral::NumberOrNull(r.addressId) + ", ?, ?)",
                    {r.href, r.cardHash, r.reason});
    session.Commit();
}

std::vector<RefusedWrite> CDataSyncStateTier::ReadRefusals() const {
    StoreSession session(mstrDatabase);
    std::vector<RefusedWrite> refusals;
    session.ForEachRow("SELECT Href, AddressID, CardHash, Reason FROM OrvaneSyncRefused ORDER BY AddressID, Href",
                       [&](const VariantArray& r, std::int32_t j) {
                           refusals.push_back(RefusedWrite{r.At(0, j).JoinEmpty(), NumberOrNone(r.At(1, j)),
                                                           r.At(2, j).JoinEmpty(), r.At(3, j).JoinEmpty()});
                       });
    session.Commit();
    return refusals;
}

void CDataSyncStateTier::RemoveRefusals(const std::vector<std::string>& hrefs) const {
    StoreSession session(mstrDatabase);
    for (const std::string& href : hrefs) session.Execute("DELETE FROM OrvaneSyncRefused WHERE Href = ?", {href});
    session.Commit();
}

void CDataSyncStateTier::Forget() const {
    StoreSession session(mstrDatabase);
    for (const char* table : {SyncTables::kHeldProperties, SyncTables::kRefused, SyncTables::kConflicts, SyncTables::kPending, SyncTables::kItems, SyncTables::kAccount})
        session.Execute(std::string("DELETE FROM ") + table);
    session.Commit();
}
