#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Variant.h"

class CDataDBTier;

// The middle tier: holds the fields of one address and forwards the
// window's list, read, save and delete requests to the data tier.
class CBusinessTier {
public:
    CBusinessTier();
    ~CBusinessTier();
    CBusinessTier(const CBusinessTier&) = delete;
    CBusinessTier& operator=(const CBusinessTier&) = delete;

    // The address list array, or the empty value when no address is stored.
    orvane::Variant FillList();
    // Loads the seven text fields of that address; AddressID is left alone.
    void GetAddressDetails(std::int32_t lngAddressID);
    // Stores the fields: a new address when AddressID is 0, else an update.
    void SaveAddress();
    void DeleteAddress(std::int32_t mlngAddressID);

    // At program start: today's backup copy of the address database, made
    // at most once a day. Never raises; returns what went wrong, to be
    // reported once, or empty text.
    static std::string MakeDailyBackup();

    void FirstName(std::string NewFirstName) { mstrFirstName = std::move(NewFirstName); }
    std::string FirstName() const { return mstrFirstName; }
    void LastName(std::string NewLastName) { mstrLastName = std::move(NewLastName); }
    std::string LastName() const { return mstrLastName; }
    // The street address is written through Address and read through Addresss.
    void Address(std::string NewAddress) { mstrAddress = std::move(NewAddress); }
    std::string Addresss() const { return mstrAddress; }
    void PostalCode(std::string NewPostalCode) { mstrPostalCode = std::move(NewPostalCode); }
    std::string PostalCode() const { return mstrPostalCode; }
    void State(std::string NewState) { mstrState = std::move(NewState); }
    std::string State() const { return mstrState; }
    void Country(std::string NewCountry) { mstrCountry = std::move(NewCountry); }
    std::string Country() const { return mstrCountry; }
    void Phone(std::string NewPhone) { mstrPhone = std::move(NewPhone); }
    std::string Phone() const { return mstrPhone; }
    void AddressID(std::int32_t NewAddressID) { mlngAddressID = NewAddressID; }
    std::int32_t AddressID() const { return mlngAddressID; }

private:
    std::unique_ptr<CDataDBTier> mobjDataDBTier;
    std::string mstrFirstName;
    std::string mstrLastName;
    std::string mstrAddress;
    std::string mstrState;
    std::string mstrCountry;
    std::string mstrPostalCode;
    std::string mstrPhone;
    std::int32_t mlngAddressID = 0;
};
