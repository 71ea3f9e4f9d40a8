#pragma once

#include <string>

#include "sync/SyncAccountService.h"

namespace orvane::sync {

// What SyncAccountService::Setup finds, without storing anything: the
// address book's URL, the password checked with the server. Client errors
// (authentication, certificate, network) raise as they are.
std::string FindAddressBook(const AccountSetup& setup);

}  // namespace orvane::sync
