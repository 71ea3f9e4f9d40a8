#include "CDataDBTier.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "CDataCardTier.h"
#include "CDataTier.h"
#include "CDataTransferTier.h"
#include "DatabaseBackup.h"
#include "FindChanges.h"
#include "adodb/Command.h"
#include "adodb/Connection.h"
#include "core/App.h"

using orvane::Variant;

namespace {
std::string WriteConnection() {
    std::string strConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
    strConnection += orvane::App::Path();
    strConnection += "\\Database\\Addressbook.mdb;Persist Security Info=False;";
    return strConnection;
}
}  // namespace

CDataDBTier::CDataDBTier() : mobjDataTier(std::make_unique<CDataTier>()) { DatabaseBackup::AdviseOnDamage(); }
CDataDBTier::~CDataDBTier() = default;

// Opens the connection, reads every row of the statement at once (the empty
// value when there are none), releases the result and closes again. A
// failure on the way leaves the connection as it was at that moment.
Variant CDataDBTier::RetrieveAll(const std::string& strSQL) {
    mobjDataTier->OpenDB();
    Variant vntResult = ReadRows(strSQL);
    mobjDataTier->CloseDB();
    return vntResult;
}

Variant CDataDBTier::ReadRows(const std::string& strSQL) {
    auto rst = mobjDataTier->Retrieve(strSQL);
    if (rst->BOF() && rst->Eof()) return Variant();
    return rst->GetRows(-1);
}

// The database joins the names with "+", which gives null when either is
// missing. Only then (normally never) are those rows' names read once more
// and joined here with the missing part as empty text.
Variant CDataDBTier::FillList() {
    std::string strSQL = "SELECT ID, FirstName+', '+LastName";
    strSQL += " FROM tblAddress";
    mobjDataTier->OpenDB();
    Variant vntList = ReadRows(strSQL);
    if (vntList.IsArray()) FillMissingDisplayTexts(vntList.Array());
    mobjDataTier->CloseDB();
    return vntList;
}

void CDataDBTier::FillMissingDisplayTexts(orvane::VariantArray& vntRows) {
    const std::int32_t lngLower = vntRows.LBound(2);
    const std::int32_t lngUpper = vntRows.UBound(2);
    std::vector<std::int32_t> lngMissing;
    for (std::int32_t i = lngLower; i <= lngUpper; ++i)
        if (vntRows.At(1, i).IsNull()) lngMissing.push_back(i);
    if (lngMissing.empty()) return;

    const Variant vntNames =
        ReadRows("SELECT ID, FirstName, LastName FROM tblAddress WHERE FirstName IS NULL OR LastName IS NULL");
    if (!vntNames.IsArray()) return;
    const orvane::VariantArray& vntNameRows = vntNames.Array();
    std::unordered_map<std::int32_t, Variant> vntTextById;
    for (std::int32_t j = vntNameRows.LBound(2); j <= vntNameRows.UBound(2); ++j)
        vntTextById.emplace(vntNameRows.At(0, j).ToLong(),
                            Variant(vntNameRows.At(1, j).JoinEmpty() + ", " + vntNameRows.At(2, j).JoinEmpty()));
    for (std::int32_t i : lngMissing) {
        // A row changed by another program between the two reads keeps its null.
        auto found = vntTextById.find(vntRows.At(0, i).ToLong());
        if (found != vntTextById.end()) vntRows.At(1, i) = found->second;
    }
}

Variant CDataDBTier::GetAddressDetails(std::int32_t lngAddressID) {
    std::string strSQL = "SELECT *";
    strSQL += "FROM tblAddress ";
    strSQL += " WHERE ID =";
    strSQL += std::to_string(lngAddressID);
    return RetrieveAll(strSQL);
}

void CDataDBTier::SaveAddress(Variant vntAddressInfo) {
    DatabaseBackup::RefuseWritesIfDamaged();
    const orvane::VariantArray& record = vntAddressInfo.Array();
    // A new address goes in with its seven text fields; a stored one is
    // updated with the same seven and then its ID.
    const bool blnNew = record.At(0, 0).ToLong() == 0;
    std::vector<Variant> vntParameters;
    vntParameters.reserve(8);
    for (std::int32_t i = 1; i <= 7; ++i) vntParameters.push_back(record.At(i, 0));
    if (!blnNew) vntParameters.push_back(record.At(0, 0));
    const std::string strQuery = blnNew ? "SaveAddress" : "UpdateAddress";

    // In one write transaction with what it tells the search index.
    orvane::adodb::Connection cnn;
    cnn.Open(WriteConnection());
    cnn.BeginTrans();
    FindChanges findChanges(cnn, orvane::App::NativePath(CDataTransferTier::DefaultDatabase()));
    std::int32_t lngAddressID = record.At(0, 0).ToLong();
    bool blnGiven = false;
    const auto next = [&](std::vector<Variant>& values) {
        if (blnGiven) return false;
        values = vntParameters;
        blnGiven = true;
        return true;
    };
    if (blnNew)
        orvane::adodb::ExecuteSavedQueryBatch(cnn, strQuery, next,
                                              [&](std::int64_t id) { lngAddressID = static_cast<std::int32_t>(id); });
    else
        orvane::adodb::ExecuteSavedQueryBatch(cnn, strQuery, next);
    findChanges.Add(lngAddressID);
    findChanges.Record(cnn);
    cnn.CommitTrans();
}

void CDataDBTier::DeleteAddress(std::int32_t lngAddressID) {
    DatabaseBackup::RefuseWritesIfDamaged();
    std::string strSQL = "DELETE *";
    strSQL += " FROM tblAddress";
    strSQL += " WHERE ID= ";
    strSQL += std::to_string(lngAddressID);
    orvane::adodb::Connection cnn;
    cnn.Open(WriteConnection());
    cnn.BeginTrans();
    FindChanges findChanges(cnn, orvane::App::NativePath(CDataTransferTier::DefaultDatabase()));
    cnn.Execute(strSQL);
    findChanges.Add(lngAddressID);
    findChanges.Record(cnn);
    cnn.CommitTrans();
    // The card the address came from, and its link to the server, go too.
    CDataCardTier().AddressDeleted(lngAddressID);
}
