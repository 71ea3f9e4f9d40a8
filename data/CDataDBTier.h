#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Variant.h"

class CDataTier;

// The gateway to tblAddress: list, read, save and delete addresses.
class CDataDBTier {
public:
    CDataDBTier();
    ~CDataDBTier();
    CDataDBTier(const CDataDBTier&) = delete;
    CDataDBTier& operator=(const CDataDBTier&) = delete;

    // The address list array (ID and display text per row, fields x rows),
    // or the empty value when the table has no rows.
    orvane::Variant FillList();
    // The 8 x 1 address record of that ID, or the empty value.
    orvane::Variant GetAddressDetails(std::int32_t lngAddressID);
    // Inserts (element (0, 0) is 0) or updates the address in the record.
    void SaveAddress(orvane::Variant vntAddressInfo);
    void DeleteAddress(std::int32_t lngAddressID);

private:
    orvane::Variant RetrieveAll(const std::string& strSQL);
    // Every row of the statement on the open connection, or the empty value.
    orvane::Variant ReadRows(const std::string& strSQL);
    // Gives rows whose display text is null one made of the names that exist.
    void FillMissingDisplayTexts(orvane::VariantArray& vntRows);

    std::unique_ptr<CDataTier> mobjDataTier;
};
