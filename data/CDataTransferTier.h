#pragma once

#include <functional>
#include <string>

#include "core/Variant.h"

// Many addresses at a time, for import and export: a batch insert through
// the saved query "SaveAddress" in one transaction, and a read of every
// address in the order the name list shows them, a chunk at a time. Works
// on one database file, by default the address-book window's own.
class CDataTransferTier {
public:
    // strDatabase: the database file, a file name of this system taken as it
    // stands (any character, ";" and "\\" too); empty for the window's database.
    explicit CDataTransferTier(std::string strDatabase = {});

    // The window's database: the application folder + "\Database\Addressbook.mdb".
    static std::string DefaultDatabase();
    const std::string& Database() const { return mstrDatabase; }

    // Calls onAddress with every stored address as an 8 x 1 address record
    // (ID first), in list order. Holds one chunk of rows at a time.
    void ReadAddresses(const std::function<void(const orvane::Variant& vntAddressInfo)>& onAddress) const;

    // Stores the address records that next gives (it fills one and returns
    // true, or returns false when there are no more) with "SaveAddress",
    // all in one transaction: an error from the database or from next
    // stores none of them.
    void SaveAddresses(const std::function<bool(orvane::Variant& vntAddressInfo)>& next) const;

    // As ReadAddresses, with the card each address came from (null when it
    // has none), read in one transaction with the addresses.
    void ReadAddressesWithCards(
        const std::function<void(const orvane::Variant& vntAddressInfo, const std::string* pstrCard)>& onAddress) const;

    // An import: in one transaction begun as the writer, first calls
    // onStored with every stored address (as ReadAddresses does), then
    // stores what next gives (as SaveAddresses does) and, beside each
    // address, the card it came from when next gives one (a non-empty
    // strCard; our tables are made on the first). Two imports at once
    // take turns, and the second one reads the rows of the first. The
    // database file's own work in all of it shares one time budget.
    void ImportAddresses(const std::function<void(const orvane::Variant& vntAddressInfo)>& onStored,
                         const std::function<bool(orvane::Variant& vntAddressInfo, std::string& strCard)>& next) const;

    // The file's name as this system names it.
    std::string NativePath() const;

private:
    std::string ConnectionString() const;

    bool mblnGiven;  // mstrDatabase is the caller's, not the window's
    std::string mstrDatabase;
};
