#include "CDataDBTier.h"

#include <string>
#include <vector>

#include "CDataTier.h"
#include "adodb/Command.h"
#include "core/App.h"

using orvane::Variant;

CDataDBTier::CDataDBTier() : mobjDataTier(std::make_unique<CDataTier>()) {}
CDataDBTier::~CDataDBTier() = default;

namespace {
// Reads every row of the result at once; the empty value when there are none.
Variant AllRowsOrEmpty(orvane::adodb::Recordset& rst) {
    if (rst.BOF() && rst.Eof()) return Variant();
    return rst.GetRows(-1);
}
}  // namespace

Variant CDataDBTier::FillList() {
    std::string strSQL = "SELECT ID, FirstName+', '+LastName";
    strSQL += " FROM tblAddress";
    mobjDataTier->OpenDB();
    Variant vntResult;
    {
        auto rst = mobjDataTier->Retrieve(strSQL);
        vntResult = AllRowsOrEmpty(*rst);
    }
    mobjDataTier->CloseDB();
    return vntResult;
}

Variant CDataDBTier::GetAddressDetails(std::int32_t lngAddressID) {
    std::string strSQL = "SELECT *";
    strSQL += "FROM tblAddress ";
    strSQL += " WHERE ID =";
    strSQL += std::to_string(lngAddressID);
    mobjDataTier->OpenDB();
    Variant vntResult;
    {
        auto rst = mobjDataTier->Retrieve(strSQL);
        vntResult = AllRowsOrEmpty(*rst);
    }
    mobjDataTier->CloseDB();
    return vntResult;
}

void CDataDBTier::SaveAddress(Variant vntAddressInfo) {
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
    std::string strSQL = "DELETE *";
    strSQL += " FROM tblAddress";
    strSQL += " WHERE ID= ";
    strSQL += std::to_string(lngAddressID);
    mobjDataTier->OpenDB();
    mobjDataTier->Update(strSQL);
    mobjDataTier->CloseDB();
}
