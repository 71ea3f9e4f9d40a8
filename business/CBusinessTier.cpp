#include "CBusinessTier.h"

#include <chrono>
#include <ctime>

#include "CDataDBTier.h"
#include "DatabaseBackup.h"
#include "core/Error.h"

using orvane::Variant;
using orvane::VariantArray;

CBusinessTier::CBusinessTier() : mobjDataDBTier(std::make_unique<CDataDBTier>()) {}
CBusinessTier::~CBusinessTier() = default;

Variant CBusinessTier::FillList() { return mobjDataDBTier->FillList(); }

void CBusinessTier::GetAddressDetails(std::int32_t lngAddressID) {
    Variant vntAddressInfo = mobjDataDBTier->GetAddressDetails(lngAddressID);
    // Another program may have removed the row since the list was read.
    if (!vntAddressInfo.IsArray())
        throw orvane::Error(orvane::errnum::RecordNotFound,
                            "The address is no longer stored (ID " + std::to_string(lngAddressID) +
                                "). Another program may have deleted it.");
    const VariantArray& record = vntAddressInfo.Array();
    // Read all seven first, so a failure leaves every field unchanged.
    std::string fields[7];
    for (std::int32_t i = 1; i <= 7; ++i) fields[i - 1] = record.At(i, 0).JoinEmpty();
    mstrFirstName = std::move(fields[0]);
    mstrLastName = std::move(fields[1]);
    mstrAddress = std::move(fields[2]);
    mstrPostalCode = std::move(fields[3]);
    mstrState = std::move(fields[4]);
    mstrCountry = std::move(fields[5]);
    mstrPhone = std::move(fields[6]);
}

void CBusinessTier::SaveAddress() {
    VariantArray record(0, 7, 0, 0);
    record.At(0, 0) = Variant(mlngAddressID);
    record.At(1, 0) = mstrFirstName;
    record.At(2, 0) = mstrLastName;
    record.At(3, 0) = mstrAddress;
    record.At(4, 0) = mstrPostalCode;
    record.At(5, 0) = mstrState;
    record.At(6, 0) = mstrCountry;
    record.At(7, 0) = mstrPhone;
    mobjDataDBTier->SaveAddress(Variant(std::move(record)));
}

void CBusinessTier::DeleteAddress(std::int32_t mlngAddressIDToDelete) { mobjDataDBTier->DeleteAddress(mlngAddressIDToDelete); }

std::string CBusinessTier::MakeDailyBackup() {
    // The local calendar day, as the user reads the date in the file name.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    using namespace std::chrono;
    return DatabaseBackup::MakeDaily(year_month_day(year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                                                    day(static_cast<unsigned>(local.tm_mday))));
}
