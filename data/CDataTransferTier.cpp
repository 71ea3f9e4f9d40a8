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

void CDataTransferTier::ReadAddresses(const std::function<void(const Variant&)>& onAddress) const {
    orvane::adodb::Connection cnn;
    cnn.Open(ConnectionString());
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

void CDataTransferTier::SaveAddresses(const std::function<bool(Variant&)>& next) const {
    Variant vntAddressInfo;
    orvane::adodb::ExecuteSavedQueryBatch(ConnectionString(), "SaveAddress", [&](std::vector<Variant>& values) {
        if (!next(vntAddressInfo)) return false;
        const VariantArray& record = vntAddressInfo.Array();
        values.resize(7);
        for (std::int32_t i = 1; i <= 7; ++i) values[static_cast<std::size_t>(i - 1)] = record.At(i, 0);
        return true;
    });
}
