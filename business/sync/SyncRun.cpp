#include "sync/SyncRun.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <optional>

#include "SyncRunLock.h"
#include "core/Error.h"
#include "sync/ServerChanges.h"
#include "sync/SyncActions.h"
#include "sync/SyncPlanner.h"
#include "sync/CardLines.h"
#include "sync/ServerView.h"
#include "sync/TrustedCertificateFile.h"
#include "transfer/TextTools.h"

namespace orvane::sync {
namespace {

// Rounds of read, plan and write: a card that changes on the server under
// a write is read again and merged; one that keeps changing waits for the
// next run.
constexpr int kMaxRounds = 3;
// Received cards stored per transaction: each transaction costs several
// disk syncs; 5,000 addresses take well under a second to insert.
constexpr std::size_t kStoreBatch = 5000;
// Received changes and deletes of addresses here per transaction: each
// address is checked and written in it, so a save in the window waits for
// at most one batch (a few tens of milliseconds).
constexpr std::size_t kApplyBatch = 1000;

// The writes an earlier run recorded, each with the UID and fields of the
// card it sends.
std::vector<PendingSend> PendingSends(const std::vector<PendingOperation>& operations) {
    std::vector<PendingSend> pending;
    for (const PendingOperation& operation : operations) {
        PendingSend send;
        send.kind = operation.kind;
        send.addressId = operation.addressId.value_or(0);
        send.href = operation.href;
        if (operation.cardText) {
            send.card = *operation.cardText;
            send.uid = CardUid(send.card);
            std::vector<std::string> ignored;
            // A card we wrote ourselves is always readable; a damaged row is
            // no longer a write this run can finish.
            const auto fields = FieldsOfCard(operation.href, send.card, ignored);
            if (!fields) continue;
            send.fields = *fields;
        }
        pending.push_back(std::move(send));
    }
    return pending;
}

bool Applied(ActionKind kind) { return kind == ActionKind::UpdateLocal || kind == ActionKind::DeleteLocal; }

// The actions from first on that go to the tables together: a run of
// StoreLocal, or one of UpdateLocal and DeleteLocal; none for any other.
std::vector<const SyncAction*> BatchFrom(const std::vector<SyncAction>& actions, std::size_t first) {
    std::vector<const SyncAction*> batch;
    const ActionKind kind = actions[first].kind;
    const bool stores = kind == ActionKind::StoreLocal;
    if (!stores && !Applied(kind)) return batch;
    const std::size_t most = stores ? kStoreBatch : kApplyBatch;
    for (std::size_t j = first; j < actions.size() && batch.size() < most; ++j) {
        if (stores ? actions[j].kind != ActionKind::StoreLocal : !Applied(actions[j].kind)) break;
        batch.push_back(&actions[j]);
    }
    return batch;
}

std::string NowUtc() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string NameOf(const transfer::AddressFields& fields) {
    std::string name = fields[transfer::kFirstName];
    if (!fields[transfer::kLastName].empty()) name += (name.empty() ? "" : " ") + fields[transfer::kLastName];
    return name.empty() ? "(no name)" : name;
}

// The address a step is about: as it is here, else as it comes.
std::string NameOf(const SyncAction& action, const std::map<std::int32_t, transfer::AddressFields>& local) {
    const auto here = local.find(action.addressId);
    return here != local.end() ? NameOf(here->second) : NameOf(action.fields);
}

// One line per step, for a dry run and for progress.
std::string Describe(const SyncAction& action, const std::map<std::int32_t, transfer::AddressFields>& local) {
    const std::string name = NameOf(action, local);
    switch (action.kind) {
        case ActionKind::StoreLocal: return "store here: " + NameOf(action.fields) + " (" + action.href + ")";
        case ActionKind::UpdateLocal: return "change here: " + NameOf(action.fields) + " (ID " + std::to_string(action.addressId) + ")";
        case ActionKind::DeleteLocal: return "delete here: " + name + " (ID " + std::to_string(action.addressId) + ")";
        case ActionKind::CreateOnServer: return "send: " + name + " (ID " + std::to_string(action.addressId) + ")";
        case ActionKind::UpdateOnServer: return "change on the server: " + name + " (" + action.href + ")";
        case ActionKind::DeleteOnServer: return "delete on the server: " + name + " (" + action.href + ")";
        case ActionKind::Link: return "link: " + name + " (ID " + std::to_string(action.addressId) + ") with " + action.href;
        case ActionKind::KeepRecord: return "note: " + action.href;
        case ActionKind::DropRecord: return "forget: " + action.href;
    }
    return {};
}

bool Cancelled(const SyncOptions& options) { return options.cancel && options.cancel->load(); }

// Whether a card kept from the server or listed by it says VERSION:4.0.
bool SaysVCard4(const std::string& card) {
    for (std::size_t at = card.find(':'); at != std::string::npos; at = card.find(':', at + 1))
        if (at >= 7 && transfer::text::EqualsNoCase(std::string_view(card).substr(at - 7, 7), "VERSION") &&
            transfer::text::Trim(std::string_view(card).substr(at + 1, card.find_first_of("\r\n", at) - at - 1)) == "4.0")
            return true;
    return false;
}

bool HoldsVCard4(const SyncInput& input) {
    for (const SyncItem& record : input.records)
        if (SaysVCard4(record.card)) return true;
    for (const ServerCard& card : input.server.cards)
        if (SaysVCard4(card.card)) return true;
    return false;
}

}  // namespace

std::string RefusedCard::Text() const {
    const std::string what = name.empty() ? href : name + " (ID " + std::to_string(addressId) + ")";
    return what + ": " + reason;
}

std::string SyncResult::SummaryLine() const {
    std::string line = "received " + std::to_string(received) + ", sent " + std::to_string(sent) +
                       ", deleted here " + std::to_string(deletedHere) + ", deleted there " +
                       std::to_string(deletedThere) + ", conflicts held " + std::to_string(conflictsHeld);
    // Only when there are any, so that a line without refusals reads as before.
    if (!refused.empty()) line += ", refused " + std::to_string(refused.size());
    return line;
}

SyncRun::SyncRun(SyncOptions options, BookOpener openBook)
    : options_(std::move(options)), openBook_(std::move(openBook)) {}

SyncResult SyncRun::Run() {
    // Before anything is read: two runs planning from the same state would
    // each store every new card once.
    const SyncRunLock lock(options_.database);
    if (!lock.Held())
        throw Error(errnum::AnotherRun, "Another sync of this address book is running; try again when it has ended.");
    SyncStores stores{CDataSyncStateTier(options_.database), CDataCardTier(options_.database),
                      CDataSyncAddressTier(options_.database), CDataSyncBatch(options_.database)};
    const std::optional<SyncAccount> account = stores.state.GetAccount();
    if (!account)
        throw Error(errnum::NoAccount, "No sync account is set up for this address book; set one up first "
                                        "(orvane-transfer sync setup URL --user NAME).");
    const TrustedCertificateFile trusted(account->trustedCertificate);
    carddav::ConnectionSettings settings;
    settings.url = account->addressBookUrl;
    settings.user = account->userName;
    settings.password = options_.password;
    settings.caFile = trusted.Path();
    settings.addressBook = account->addressBookUrl;  // cards elsewhere are never read, written or deleted
    const std::unique_ptr<ServerBook> book = openBook_(settings);

    // Addresses another program deleted lose their kept cards; their records
    // stay, so the cards go on the server too.
    if (!options_.dryRun) stores.cards.AddressesDeletedElsewhere();

    SyncResult result;
    const std::string storedToken = account->syncToken.value_or("");
    std::optional<std::string> newToken;
    SyncPlan plan;
    SyncActions actions(*book, stores, result);
    if (!options_.dryRun) actions.HoldRefused(stores.state.ReadRefusals(), options_.retryRefused);
    bool finished = false;
    std::optional<bool> takesVCard4;
    for (int round = 0; round < kMaxRounds && !finished; ++round) {
        actions.NewRound();
        const std::vector<SyncItem> records = stores.state.ReadItems();
        const std::vector<PendingOperation> operations = stores.state.ReadPending();
        const std::vector<PendingSend> pending = PendingSends(operations);
        ServerChangesRead read =
            ReadServerChanges(*book, storedToken, account->lastSyncTime && !account->syncToken, records, pending);
        if (round == 0) newToken = read.newToken;

        SyncInput input;
        input.local = stores.addresses.ReadAll();
        input.editedCards.clear();
        stores.cards.ReadEditedCards(
            [&](std::int32_t id, const std::string& card) { input.editedCards.emplace(id, card); });
        actions.ReadLocal(input.local);
        input.records = records;
        input.pending = pending;
        input.server = std::move(read.listing);
        input.firstSync = !account->lastSyncTime;
        input.forceDelete = options_.forceDelete;
        // Only a card the server gave as 4.0 may go back as 4.0: the book is
        // asked what it takes only when it holds such a card.
        if (!takesVCard4 && HoldsVCard4(input)) takesVCard4 = book->TakesVCard4();
        input.serverTakesVCard4 = takesVCard4.value_or(false);
        plan = SyncPlanner().Plan(input);
        plan.problems.insert(plan.problems.begin(), read.problems.begin(), read.problems.end());

        if (plan.stoppedForSafety) {
            result.stoppedForSafety = true;
            result.problems.push_back(plan.safetyMessage);
            result.requests = book->RequestCount();
            return result;
        }
        if (options_.dryRun) {
            for (const SyncAction& action : plan.actions)
                if (action.kind != ActionKind::KeepRecord) result.planned.push_back(Describe(action, input.local));
            for (const SyncAction& action : plan.actions) {
                const ActionKind kind = action.kind;
                if (kind == ActionKind::StoreLocal || kind == ActionKind::UpdateLocal) ++result.received;
                if (kind == ActionKind::CreateOnServer || kind == ActionKind::UpdateOnServer) ++result.sent;
                if (kind == ActionKind::DeleteLocal) ++result.deletedHere;
                if (kind == ActionKind::DeleteOnServer) ++result.deletedThere;
            }
            result.conflictsHeld = plan.conflicts.size();
            result.problems.insert(result.problems.end(), plan.problems.begin(), plan.problems.end());
            result.requests = book->RequestCount();
            return result;
        }

        finished = true;
        for (std::size_t i = 0; i < plan.actions.size();) {
            if (Cancelled(options_)) {
                result.cancelled = true;
                result.requests = book->RequestCount();
                return result;
            }
            const SyncAction& action = plan.actions[i];
            // Received cards and changes are stored a batch at a time: each
            // write here is several disk syncs, too many to take one per card.
            const std::vector<const SyncAction*> batch = BatchFrom(plan.actions, i);
            if (options_.progress)
                options_.progress(i, plan.actions.size(),
                                  {action.kind, NameOf(action, input.local), std::max<std::size_t>(batch.size(), 1),
                                   Describe(action, input.local)});
            if (!batch.empty()) {
                if (action.kind == ActionKind::StoreLocal) actions.StoreLocal(batch);
                else actions.ApplyLocal(batch);
                i += batch.size();
                continue;
            }
            if (!actions.Execute(plan.actions[i])) {
                finished = false;
                break;
            }
            ++i;
        }
        if (finished) {
            // Every write recorded by an earlier run is finished or redone now.
            std::vector<std::int32_t> ids;
            for (const PendingOperation& operation : operations) ids.push_back(operation.id);
            stores.state.RemovePending(ids);
        }
    }
    result.problems.insert(result.problems.end(), plan.problems.begin(), plan.problems.end());
    if (!finished) {
        result.problems.push_back("cards changed on the server while this run wrote them; the rest is left for the next run");
        result.requests = book->RequestCount();
        return result;
    }

    // Cards the server took without an ETag are read again, so the next run
    // does not take its own write for a change.
    for (const auto& [href, written] : actions.WrittenWithoutEtag()) {
        const std::optional<carddav::RemoteCard> card = book->Get(href);
        if (!card || card->etag.empty()) continue;
        SyncItem record = written;
        record.etag = card->etag;
        record.card = card->text;
        stores.state.UpsertItems({record});
    }

    // The conflicts held now replace those of the last run.
    std::map<std::int32_t, std::string> hrefById;
    for (const SyncItem& record : stores.state.ReadItems()) hrefById[record.addressId] = record.href;
    std::vector<std::int32_t> oldIds;
    for (const HeldConflict& held : stores.state.ListConflicts()) oldIds.push_back(held.id);
    stores.state.RemoveConflicts(oldIds);
    std::vector<HeldConflict> conflicts = plan.conflicts;
    conflicts.insert(conflicts.end(), actions.LinkConflicts().begin(), actions.LinkConflicts().end());
    std::vector<HeldConflict> held;
    for (const HeldConflict& conflict : conflicts) {
        if (!conflict.property.empty()) continue;  // held with its card's record
        HeldConflict& row = held.emplace_back(conflict);
        if (const auto href = hrefById.find(conflict.addressId); href != hrefById.end()) row.href = href->second;
    }
    stores.state.AddConflicts(held);
    result.conflictsHeld = conflicts.size();
    // A refusal no write of this run concerned has nothing left to hold back.
    stores.state.RemoveRefusals(actions.UnconcernedRefusals());

    stores.state.SetSyncToken(actions.LeftChangesHere() ? account->syncToken : newToken, NowUtc());
    result.requests = book->RequestCount();
    return result;
}

}  // namespace orvane::sync
