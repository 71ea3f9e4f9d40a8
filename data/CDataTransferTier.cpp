#include "CDataTransferTier.h"

#include <vector>

#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "adodb/ConnectionString.h"
#include "adodb/ErrorNumbers.h"
#include "adodb/Recordset.h"
#include "core/App.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;

namespace {
// Rows fetched per GetRows while reading: big enough to be cheap, small
// enough that a large table never sits in memory whole.
constexpr std::int32_t kChunkRows = 1000;
}  // namespace

CDataTransferTier::CDataTransferTier(std::string strDatabase) : mblnGiven(!strDatabase.empty()) {
    mstrDatabase = mblnGiven ? std::move(strDatabase) : DefaultDatabase();
}

std::string CDataTransferTier::DefaultDatabase() { return orvane::App::Path() + "\\Database\\Addressbook.mdb"; }

std::string CDataTransferTier::ConnectionString() const {
    // The window's database is named as the window names it; a file given
    // by the user is taken as typed, whatever characters it holds.
    if (mblnGiven) return orvane::adodb::ConnectionStringForFile(mstrDatabase);
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mstrDatabase + ";Persist Security Info=False;";
}

namespace {

// Calls onAddress with every stored address, a chunk of rows at a time.
void ReadAll(orvane::adodb::Connection& cnn, const std::function<void(const Variant&)>& onAddress) {
    orvane::adodb::Recordset rst;
    // The name list's rows come in the order the database delivers them
    // from the table; this read takes the same path.
    rst.Open("SELECT *FROM tblAddress", cnn);
    while (!rst.Eof()) {
        const Variant vntRows = rst.GetRows(kChunkRows);
        const VariantArray& rows = vntRows.Array();
        for (std::int32_t j = rows.LBound(2); j <= rows.UBound(2); ++j) {
            VariantArray record(0, 7, 0, 0);
            for (std::int32_t i = 0; i <= 7; ++i) record.At(i, 0) = rows.At(i, j);
            onAddress(Variant(std::move(record)));
        }
    }
}

// Runs "SaveAddress" for every record that next gives, on cnn.
void SaveAll(orvane::adodb::Connection& cnn, const std::function<bool(Variant&)>& next) {
    Variant vntAddressInfo;
    orvane::adodb::ExecuteSavedQueryBatch(cnn, "SaveAddress", [&](std::vector<Variant>& values) {
        if (!next(vntAddressInfo)) return false;
        const VariantArray& record = vntAddressInfo.Array();
        values.resize(7);
        for (std::int32_t i = 1; i <= 7; ++i) values[static_cast<std::size_t>(i - 1)] = record.At(i, 0);
        return true;
    });
}

}  // namespace

void CDataTransferTier::ReadAddresses(const std::function<void(const Variant&)>& onAddress) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    ReadAll(cnn, onAddress);
}

void CDataTransferTier::SaveAddresses(const std::function<bool(Variant&)>& next) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    SaveAll(cnn, next);
}

void CDataTransferTier::ImportAddresses(const std::function<void(const Variant&)>& onStored,
                                        const std::function<bool(Variant&)>& next) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
    // As the writer from the start: another import waits for this one and
    // then reads what it stored. Closing the connection without the commit
    // rolls everything back.
    cnn.BeginTrans();
    ReadAll(cnn, onStored);
    SaveAll(cnn, next);
    cnn.CommitTrans();
}
