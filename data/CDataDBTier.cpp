#include "CDataDBTier.h"

#include <string>
#include <vector>

#include "CDataTier.h"
#include "DatabaseBackup.h"
#include "adodb/Command.h"
#include "core/App.h"

using orvane::Variant;

CDataDBTier::CDataDBTier() : mobjDataTier(std::make_unique<CDataTier>()) { DatabaseBackup::AdviseOnDamage(); }
CDataDBTier::~CDataDBTier() = default;

// Opens the connection, reads every row of the statement at once (the empty
// value when there are none), releases the result and closes again. A
// failure on the way leaves the connection as it was at that moment.
Variant CDataDBTier::RetrieveAll(const std::string& strSQL) {
    mobjDataTier->OpenDB();
    Variant vntResult;
    {
        auto rst = mobjDataTier->Retrieve(strSQL);
        if (!(rst->BOF() && rst->Eof())) vntResult = rst->GetRows(-1);
    }
    mobjDataTier->CloseDB();
    return vntResult;
}

Variant CDataDBTier::FillList() {
    std::string strSQL = "SELECT ID, FirstName+', '+LastName";
    strSQL += " FROM tblAddress";
    return RetrieveAll(strSQL);
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

    orvane::adodb::Command cmd;
    std::string strConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
    strConnection += orvane::App::Path();
    strConnection += "\\Database\\Addressbook.mdb;Persist Security Info=False;";
    cmd.SetActiveConnection(strConnection);
    cmd.SetCommandText(strQuery);
    cmd.Execute(vntParameters, orvane::adodb::adOptionUnspecified);
}

void CDataDBTier::DeleteAddress(std::int32_t lngAddressID) {
    DatabaseBackup::RefuseWritesIfDamaged();
    std::string strSQL = "DELETE *";
    strSQL += " FROM tblAddress";
    strSQL += " WHERE ID= ";
    strSQL += std::to_string(lngAddressID);
    mobjDataTier->OpenDB();
    mobjDataTier->Update(strSQL);
    mobjDataTier->CloseDB();
}
