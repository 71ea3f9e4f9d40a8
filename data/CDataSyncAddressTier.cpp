#include "CDataSyncAddressTier.h"

#include <optional>

#include "CDataCardTier.h"
#include "CDataTransferTier.h"
#include "DatabaseBackup.h"
#include "FindChanges.h"
#include "SqlLiteral.h"
#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/Recordset.h"

namespace SqlLiteral = orvane::data::SqlLiteral;

namespace {
const char* const kColumns[] = {"FirstName", "LastName", "Address", "PostalCode", "State", "Country", "Phone"};

// One write on its own connection inside BEGIN IMMEDIATE, so that what it
// reads back (a new ID) belongs to its own statement and no other writer's.
class WriteSession {
public:
    WriteSession(const std::string& connectionString, const std::string& path) {
        cnn_.Open(connectionString);
        cnn_.Execute("BEGIN IMMEDIATE");
        findChanges_.emplace(cnn_, path);
    }
    ~WriteSession() {
        if (!open_) return;
        try {
            cnn_.Execute("ROLLBACK");
        } catch (...) {
            // Closing the connection rolls back as well.
        }
    }
    WriteSession(const WriteSession&) = delete;
    WriteSession& operator=(const WriteSession&) = delete;

    orvane::adodb::Connection& Connection() { return cnn_; }
    void AddressChanged(std::int32_t id) { findChanges_->Add(id); }
    void Commit() {
        findChanges_->Record(cnn_);
        cnn_.Execute("COMMIT");
        open_ = false;
    }

    // Whether the address still holds these fields (a missing one never does).
    bool Holds(std::int32_t lngAddressID, const CDataSyncAddressTier::Fields& fields) {
        orvane::adodb::Recordset rs;
        rs.Open("SELECT FirstName, LastName, Address, PostalCode, State, Country, Phone FROM tblAddress WHERE ID = " +
                    std::to_string(lngAddressID),
                cnn_);
        if (rs.Eof()) return false;
        const orvane::Variant row = rs.GetRows(1);
        for (std::int32_t i = 0; i < 7; ++i)
            if (row.Array().At(i, 0).JoinEmpty() != fields[static_cast<std::size_t>(i)]) return false;
        return true;
    }

private:
    orvane::adodb::Connection cnn_;
    std::optional<FindChanges> findChanges_;
    bool open_ = true;
};
}  // namespace

CDataSyncAddressTier::CDataSyncAddressTier(std::string strDatabase) {
    const CDataTransferTier file(std::move(strDatabase));
    mstrDatabase = file.Database();
    mstrNativePath = file.NativePath();
}

std::string CDataSyncAddressTier::ConnectionString() const {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mstrDatabase + ";Persist Security Info=False;";
}

std::map<std::int32_t, CDataSyncAddressTier::Fields> CDataSyncAddressTier::ReadAll() const {
    std::map<std::int32_t, Fields> addresses;
    CDataTransferTier(mstrDatabase).ReadAddresses([&](const orvane::Variant& vntAddressInfo) {
        const orvane::VariantArray& record = vntAddressInfo.Array();
        Fields fields;
        for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = record.At(i, 0).JoinEmpty();
        addresses[record.At(0, 0).ToLong()] = std::move(fields);
    });
    return addresses;
}

std::int32_t CDataSyncAddressTier::Add(const Fields& fields) const { return AddAll({fields}).front(); }

std::vector<std::int32_t> CDataSyncAddressTier::AddAll(const std::vector<Fields>& addresses) const {
    std::vector<std::int32_t> ids;
    if (addresses.empty()) return ids;
    DatabaseBackup::RefuseWritesIfDamaged();
    ids.reserve(addresses.size());
    WriteSession session(ConnectionString(), mstrNativePath);
    // "SaveAddress" prepared once for the whole batch, each new ID read back
    // from the row the engine reports as inserted.
    std::size_t given = 0;
    orvane::adodb::ExecuteSavedQueryBatch(
        session.Connection(), "SaveAddress",
        [&](std::vector<orvane::Variant>& values) {
            if (given == addresses.size()) return false;
            const Fields& fields = addresses[given++];
            values.clear();
            for (const std::string& field : fields) values.emplace_back(field);
            return true;
        },
        [&](std::int64_t id) { ids.push_back(static_cast<std::int32_t>(id)); });
    for (std::int32_t id : ids) session.AddressChanged(id);
    session.Commit();
    return ids;
}

void CDataSyncAddressTier::Update(std::int32_t lngAddressID, const Fields& fields) const {
    UpdateWhere(lngAddressID, nullptr, fields);
}

bool CDataSyncAddressTier::UpdateIfUnchanged(std::int32_t lngAddressID, const Fields& read, const Fields& fields) const {
    return UpdateWhere(lngAddressID, &read, fields);
}

bool CDataSyncAddressTier::UpdateWhere(std::int32_t lngAddressID, const Fields* read, const Fields& fields) const {
    DatabaseBackup::RefuseWritesIfDamaged();
    std::string assignments;
    for (std::size_t i = 0; i < fields.size(); ++i)
        assignments += std::string(i ? ", " : "") + kColumns[i] + " = " + SqlLiteral::Text(fields[i]);
    WriteSession session(ConnectionString(), mstrNativePath);
    // Checked inside the write transaction: no save can come in between.
    if (read && !session.Holds(lngAddressID, *read)) return false;
    session.Connection().Execute("UPDATE tblAddress SET " + assignments + " WHERE ID = " + std::to_string(lngAddressID));
    session.AddressChanged(lngAddressID);
    session.Commit();
    return true;
}

void CDataSyncAddressTier::Delete(std::int32_t lngAddressID) const { DeleteWhere(lngAddressID, nullptr); }

bool CDataSyncAddressTier::DeleteIfUnchanged(std::int32_t lngAddressID, const Fields& read) const {
    return DeleteWhere(lngAddressID, &read);
}

bool CDataSyncAddressTier::DeleteWhere(std::int32_t lngAddressID, const Fields* read) const {
    DatabaseBackup::RefuseWritesIfDamaged();
    {
        WriteSession session(ConnectionString(), mstrNativePath);
        if (read && !session.Holds(lngAddressID, *read)) return false;
        session.Connection().Execute("DELETE FROM tblAddress WHERE ID = " + std::to_string(lngAddressID));
        session.AddressChanged(lngAddressID);
        session.Commit();
    }
    // As for a delete in the window: the card goes, the link to the server is let go.
    CDataCardTier(mstrNativePath).AddressDeleted(lngAddressID);
    return true;
}
