#include "CDataTier.h"

#include "core/App.h"

using orvane::adodb::Connection;
using orvane::adodb::Recordset;

CDataTier::CDataTier() : mobjConnection(std::make_unique<Connection>()) {}

// Releasing the connection object closes it if it is still open.
CDataTier::~CDataTier() = default;

void CDataTier::OpenDB() {
    if (mobjConnection->State() != orvane::adodb::adStateClosed) return;
    std::string strConnection = "Provider = Microsoft.jet.OLEDB.4.0;";
    strConnection += "Data Source = ";
    strConnection += orvane::App::Path();
    strConnection += "\\Database\\Addressbook.mdb;Persist Security Info=False;";
    mobjConnection->SetConnectionString(strConnection);
    mobjConnection->Open("", "", "", orvane::adodb::adOptionUnspecified);
}

void CDataTier::CloseDB() {
    if (mobjConnection->State() == orvane::adodb::adStateOpen) mobjConnection->Close();
}

std::unique_ptr<Recordset> CDataTier::Retrieve(std::string strSQL) {
    auto rst = std::make_unique<Recordset>();
    rst->Open(strSQL, *mobjConnection, orvane::adodb::adOpenForwardOnly, orvane::adodb::adLockReadOnly,
              orvane::adodb::adOptionUnspecified);
    return rst;
}

void CDataTier::Update(std::string strSQL) {
    mobjConnection->Execute(strSQL, orvane::adodb::adOptionUnspecified);
}
