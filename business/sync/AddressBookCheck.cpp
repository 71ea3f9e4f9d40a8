#include "sync/AddressBookCheck.h"

#include "carddav/CardDavClient.h"

namespace orvane::sync {

std::string FindAddressBook(const AccountSetup& setup) {
    carddav::ConnectionSettings settings;
    settings.url = setup.url;
    settings.user = setup.user;
    settings.password = setup.password;
    settings.caFile = setup.caFile;
    return carddav::CardDavClient(settings).Discover(setup.addressBook).url;
}

}  // namespace orvane::sync
