#include "sync/SyncAccountService.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "CDataCardTier.h"
#include "CDataSyncAddressTier.h"
#include "CDataSyncStateTier.h"
#include "SyncRunLock.h"
#include "carddav/CardDavClient.h"
#include "carddav/CardDavErrors.h"
#include "carddav/CertificateFingerprint.h"
#include "carddav/Url.h"
#include "core/Error.h"
#include "sync/CardMerge.h"
#include "sync/Refusal.h"
#include "sync/SyncRun.h"
#include "sync/TrustedCertificateFile.h"

namespace orvane::sync {
namespace {

// The sync state is changed outside a run only while no run is under way.
void RaiseUnlessHeld(const SyncRunLock& lock) {
    if (!lock.Held())
        throw Error(errnum::AnotherRun, "A sync of this address book is running; try again when it has ended.");
}

}  // namespace

const char* FieldName(std::size_t field) {
    static const char* const names[] = {"first name", "last name", "street address", "postal code",
                                        "state",      "country",   "phone"};
    return field < 7 ? names[field] : "field";
}

std::string ConflictName(const HeldConflict& conflict) {
    return conflict.property.empty() ? FieldName(conflict.Field()) : conflict.property;
}

SyncAccountService::SyncAccountService(std::string database) : database_(std::move(database)) {}

namespace {

// The certificate the setup trusts: its file's text, else the one stored
// with the account when it is kept, else none.
std::optional<std::string> TrustedPem(const AccountSetup& setup, const std::optional<SyncAccount>& stored) {
    if (setup.caFile.empty()) return setup.keepCertificate && stored ? stored->trustedCertificate : std::nullopt;
    std::ifstream in(setup.caFile, std::ios::binary);
    if (!in) throw Error(carddav::errnum::CaFile, "The certificate file '" + setup.caFile + "' cannot be read.");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

carddav::ConnectionSettings Settings(const AccountSetup& setup, const TrustedCertificateFile& certificate) {
    carddav::ConnectionSettings settings;
    settings.url = setup.url;
    settings.user = setup.user;
    settings.password = setup.password;
    settings.caFile = certificate.Path();
    return settings;
}

std::string ShownName(const carddav::AddressBookInfo& book) {
    return book.displayName.empty() ? carddav::url::LastSegment(book.url) : book.displayName;
}

// The book chosen by its URL among those found, else by its name.
carddav::AddressBookInfo ChosenBook(carddav::CardDavClient& client, const AccountSetup& setup) {
    if (setup.addressBookUrl.empty()) return client.Discover(setup.addressBook);
    for (const carddav::AddressBookInfo& book : client.FindAddressBooks())
        if (carddav::url::SamePath(book.url, setup.addressBookUrl)) return book;
    throw Error(carddav::errnum::NoAddressBook,
                "The address book " + setup.addressBookUrl + " is no longer on the server.");
}

}  // namespace

std::vector<FoundBook> SyncAccountService::FindBooks(const AccountSetup& setup) const {
    const TrustedCertificateFile certificate(TrustedPem(setup, CDataSyncStateTier(database_).GetAccount()));
    carddav::CardDavClient client(Settings(setup, certificate));
    std::vector<FoundBook> books;
    for (const carddav::AddressBookInfo& book : client.FindAddressBooks()) books.push_back({book.url, ShownName(book)});
    if (books.empty()) throw Error(carddav::errnum::NoAddressBook, "The account has no address book on the server.");
    return books;
}

std::string SyncAccountService::Setup(const AccountSetup& setup) const {
    const SyncRunLock lock(database_);
    RaiseUnlessHeld(lock);
    const CDataSyncStateTier state(database_);
    const std::optional<SyncAccount> old = state.GetAccount();
    const std::optional<std::string> pem = TrustedPem(setup, old);
    const TrustedCertificateFile certificate(pem);
    carddav::CardDavClient client(Settings(setup, certificate));
    // Discovery asks the principal and the home set with the password, so a
    // refused password ends here (errnum::Authentication).
    const carddav::AddressBookInfo book = ChosenBook(client, setup);

    if (old && (old->addressBookUrl != book.url || old->userName != setup.user)) state.Forget();
    SyncAccount account;
    account.serverUrl = setup.url;
    account.userName = setup.user;
    account.addressBookUrl = book.url;
    account.trustedCertificate = pem;
    if (!book.displayName.empty()) account.addressBookName = book.displayName;
    if (old && old->addressBookUrl == book.url && old->userName == setup.user) {
        account.syncToken = old->syncToken;
        account.lastSyncTime = old->lastSyncTime;
    }
    state.SetAccount(account);
    return book.url;
}

std::optional<AccountStatus> SyncAccountService::Status() const {
    const CDataSyncStateTier state(database_);
    const std::optional<SyncAccount> account = state.GetAccount();
    if (!account) return std::nullopt;
    AccountStatus status{account->serverUrl,
                         account->userName,
                         account->addressBookUrl,
                         account->addressBookName.value_or(""),
                         account->trustedCertificate ? carddav::CertificateFingerprint(*account->trustedCertificate) : "",
                         account->lastSyncTime,
                         0,
                         0,
                         {}};
    const std::map<std::int32_t, CDataSyncAddressTier::Fields> local = CDataSyncAddressTier(database_).ReadAll();
    // A refused write is listed as such, not as a change waiting.
    std::set<std::int32_t> refusedIds;
    std::set<std::string> refusedHrefs;
    for (const ::RefusedWrite& refusal : state.ReadRefusals()) {
        RefusedCard line{refusal.addressId.value_or(0), {}, refusal.href, refusal.reason, true};
        const auto address = refusal.addressId ? local.find(*refusal.addressId) : local.end();
        if (address != local.end()) line.name = DisplayText(address->second);
        status.refused.push_back(line.Text());
        if (refusal.addressId) refusedIds.insert(*refusal.addressId);
        refusedHrefs.insert(refusal.href);
    }
    std::set<std::int32_t> edited;  // cards saved in the card window since
    CDataCardTier(database_).ReadEditedCards([&](std::int32_t id, const std::string&) { edited.insert(id); });
    std::set<std::int32_t> linked;
    for (const SyncItem& item : state.ReadItems()) {
        if (item.addressId == 0) {
            if (!refusedHrefs.count(item.href)) ++status.localChangesWaiting;  // deleted here
            continue;
        }
        linked.insert(item.addressId);
        const auto address = local.find(item.addressId);
        if ((address == local.end() || address->second != item.base || edited.count(item.addressId)) &&
            !refusedIds.count(item.addressId))
            ++status.localChangesWaiting;
    }
    for (const auto& [id, fields] : local)
        if (!linked.count(id) && !refusedIds.count(id)) ++status.localChangesWaiting;
    status.conflictsHeld = state.ListConflicts().size() + state.ListHeldProperties().size();
    return status;
}

std::optional<std::size_t> SyncAccountService::ConflictsIfSetUp() const {
    const CDataSyncStateTier state(database_);
    if (!state.GetAccount()) return std::nullopt;
    return state.ListConflicts().size() + state.ListHeldProperties().size();
}

std::vector<HeldConflict> SyncAccountService::Conflicts() const {
    const CDataSyncStateTier state(database_);
    std::vector<HeldConflict> lines = state.ListConflicts();
    for (const HeldPropertyOfAddress& held : state.ListHeldProperties()) {
        HeldConflict& line = lines.emplace_back();
        line.addressId = held.addressId;
        line.localValue = held.held.localValue;
        line.serverValue = held.held.serverValue;
        line.property = held.held.property;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const HeldConflict& a, const HeldConflict& b) { return a.addressId < b.addressId; });
    return lines;
}

std::size_t SyncAccountService::Resolve(std::int32_t addressId, Side take) const {
    const SyncRunLock lock(database_);
    RaiseUnlessHeld(lock);
    const CDataSyncStateTier state(database_);
    std::vector<HeldConflict> chosen;
    for (const HeldConflict& held : state.ListConflicts())
        if (held.addressId == addressId && held.fieldIndex >= 1 && held.fieldIndex <= 7) chosen.push_back(held);
    std::optional<SyncItem> item;
    for (SyncItem& stored : state.ReadItems())
        if (stored.addressId != 0 && stored.addressId == addressId) item = std::move(stored);
    const std::size_t properties = item ? item->held.size() : 0;
    if (chosen.empty() && properties == 0)
        throw Error(errnum::NoConflict, "No conflict is held for address " + std::to_string(addressId) + ".");

    const CDataSyncAddressTier addresses(database_);
    std::map<std::int32_t, CDataSyncAddressTier::Fields> local = addresses.ReadAll();
    const auto address = local.find(addressId);
    if (!item || address == local.end())
        throw Error(errnum::NoConflict, "Address " + std::to_string(addressId) + " is no longer linked to a card.");

    // The agreed value becomes the side not taken, so that the next run sees
    // the side taken as the one change: ours is sent, the server's is kept.
    CDataSyncAddressTier::Fields fields = address->second;
    for (const HeldConflict& held : chosen) {
        const std::size_t field = held.Field();
        if (take == Side::Local) {
            item->base[field] = held.serverValue;
        } else {
            fields[field] = held.serverValue;
            item->base[field] = held.serverValue;
        }
    }
    if (fields != address->second) addresses.Update(addressId, fields);
    // A property: the card agreed on is the record's (the server's) once the
    // held one goes; taking the server's puts its value in the kept card too.
    if (properties > 0 && take == Side::Server) {
        const CDataCardTier cards(database_);
        std::vector<std::string> names;
        for (const HeldProperty& held : item->held) names.push_back(held.property);
        std::string kept = WithPropertiesOf(cards.ReadCard(addressId).value_or(item->card), item->card, names);
        if (SameMeaning(kept, item->card)) kept = item->card;
        cards.KeepCard(addressId, kept);
    }
    item->held.clear();
    state.UpsertItems({*item});
    std::vector<std::int32_t> ids;
    for (const HeldConflict& held : chosen) ids.push_back(held.id);
    state.RemoveConflicts(ids);
    return chosen.size() + properties;
}

std::optional<std::pair<std::string, std::string>> SyncAccountService::Forget() const {
    const SyncRunLock lock(database_);
    RaiseUnlessHeld(lock);
    const CDataSyncStateTier state(database_);
    const std::optional<SyncAccount> account = state.GetAccount();
    state.Forget();
    if (!account) return std::nullopt;
    return std::make_pair(account->userName, account->serverUrl);
}

}  // namespace orvane::sync
