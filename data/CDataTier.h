#pragma once

#include <memory>
#include <string>

#include "adodb/Connection.h"
#include "adodb/Recordset.h"

// One connection to the address database, opened and closed around each
// operation of CDataDBTier.
class CDataTier {
public:
    CDataTier();
    ~CDataTier();
    CDataTier(const CDataTier&) = delete;
    CDataTier& operator=(const CDataTier&) = delete;

    // Opens the connection unless it is open already.
    void OpenDB();
    // Closes the connection only when it is open.
    void CloseDB();
    // Runs a statement that returns rows; the caller owns the result.
    std::unique_ptr<orvane::adodb::Recordset> Retrieve(std::string strSQL);
    // Runs a statement that returns no rows.
    void Update(std::string strSQL);

private:
    std::unique_ptr<orvane::adodb::Connection> mobjConnection;
};
