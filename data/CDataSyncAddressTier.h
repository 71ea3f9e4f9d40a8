#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The address table of one database file as a sync run sees it: every
// address with its seven fields, and one address added, changed or deleted
// at a time. IDs come from the table (never reused after a delete).
class CDataSyncAddressTier {
public:
    using Fields = std::array<std::string, 7>;  // first name .. phone, in record order

    // strDatabase: the database file; empty for the window's database.
    explicit CDataSyncAddressTier(std::string strDatabase = {});

    std::map<std::int32_t, Fields> ReadAll() const;
    // Inserts the address and returns the ID the table gave it.
    std::int32_t Add(const Fields& fields) const;
    // Inserts the addresses in one transaction (a sync receiving a whole
    // book); returns their IDs in the same order.
    std::vector<std::int32_t> AddAll(const std::vector<Fields>& addresses) const;
    void Update(std::int32_t lngAddressID, const Fields& fields) const;
    // Deletes the address and the card it came from; its sync item no longer names it.
    void Delete(std::int32_t lngAddressID) const;
    // The same two writes for a run that read the address as `read`: made
    // only while the address still holds exactly that, so a save or delete
    // in the window since the run read it is never overwritten. False (and
    // nothing written) when the address changed or is gone.
    bool UpdateIfUnchanged(std::int32_t lngAddressID, const Fields& read, const Fields& fields) const;
    bool DeleteIfUnchanged(std::int32_t lngAddressID, const Fields& read) const;

private:
    std::string ConnectionString() const;
    // read: the fields the address must still hold; none: written anyway.
    bool UpdateWhere(std::int32_t lngAddressID, const Fields* read, const Fields& fields) const;
    bool DeleteWhere(std::int32_t lngAddressID, const Fields* read) const;

    std::string mstrDatabase;
    std::string mstrNativePath;  // the same file as this system names it
};
