#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "SyncCards.h"
#include "sync/CardPatch.h"
#include "sync/NewCard.h"
#include "sync/SyncPlanner.h"

// A two-sided address book for planner tests: the address table, the
// records of the last run and the server's cards, changed the way a user
// here and another client on the server would change them.
namespace orvane::sync::testing {

class SyncBook {
public:
    // An address and a card that the last run left in agreement.
    void Linked(std::int32_t id, const transfer::AddressFields& fields, const std::string& card = {}) {
        const std::string href = "card" + std::to_string(id) + ".vcf";
        const std::string text = card.empty() ? NewCardText(fields, "uid-" + std::to_string(id)) : card;
        const std::string etag = "\"e" + std::to_string(id) + "-1\"";
        input.records.push_back({href, id, "uid-" + std::to_string(id), etag, ReadFields(text), text, {}});
        input.local[id] = ReadFields(text);
        server_.push_back({href, etag, text});
    }

    void EditHere(std::int32_t id, std::size_t field, const std::string& value) { input.local[id][field] = value; }
    void DeleteHere(std::int32_t id) { input.local.erase(id); }
    void AddHere(std::int32_t id, const transfer::AddressFields& fields) { input.local[id] = fields; }

    // Another client edits the card: new text, new ETag.
    void EditOnServer(std::int32_t id, std::size_t field, const std::string& value) {
        ServerCard& card = Card(id);
        transfer::AddressFields fields = ReadFields(card.card);
        fields[field] = value;
        card.card = PatchCard(card.card, fields);
        card.etag += "x";
    }
    // The server rewrites the card: reordered, group names upper case, new ETag.
    void RewriteOnServer(std::int32_t id, const std::string& rewritten) {
        Card(id).card = rewritten;
        Card(id).etag += "r";
    }
    void DeleteOnServer(std::int32_t id) {
        const std::string href = "card" + std::to_string(id) + ".vcf";
        std::erase_if(server_, [&](const ServerCard& c) { return c.href == href; });
        removed_.push_back(href);
    }
    void AddOnServer(const std::string& href, const transfer::AddressFields& fields) {
        server_.push_back({href, "\"n-" + href + "\"", NewCardText(fields, "srv-" + href)});
    }

    // A complete listing: every card with its ETag; text only where the ETag
    // differs from the record's, as a runner reads them.
    SyncPlan PlanComplete() {
        input.server = {true, Listed(), {}};
        return Plan();
    }
    // A change listing since the last token: changed and new cards, and the
    // hrefs removed.
    SyncPlan PlanChanges() {
        std::vector<ServerCard> changed;
        for (const ServerCard& card : Listed())
            if (!card.card.empty()) changed.push_back(card);
        input.server = {false, changed, removed_};
        return Plan();
    }

    SyncPlan Plan() {
        int counter = 0;
        return SyncPlanner([&counter] { return "new-uid-" + std::to_string(++counter); }).Plan(input);
    }

    ServerCard& Card(std::int32_t id) {
        const std::string href = "card" + std::to_string(id) + ".vcf";
        return *std::find_if(server_.begin(), server_.end(), [&](const ServerCard& c) { return c.href == href; });
    }

    SyncInput input;

private:
    std::vector<ServerCard> Listed() const {
        std::vector<ServerCard> listed = server_;
        for (ServerCard& card : listed)
            for (const SyncItem& record : input.records)
                if (record.href == card.href && record.etag == card.etag) card.card.clear();
        return listed;
    }

    std::vector<ServerCard> server_;
    std::vector<std::string> removed_;
};

inline std::vector<const SyncAction*> ActionsOf(const SyncPlan& plan, ActionKind kind) {
    std::vector<const SyncAction*> found;
    for (const SyncAction& action : plan.actions)
        if (action.kind == kind) found.push_back(&action);
    return found;
}

inline bool Deletes(const SyncPlan& plan) {
    return !ActionsOf(plan, ActionKind::DeleteLocal).empty() || !ActionsOf(plan, ActionKind::DeleteOnServer).empty();
}

}  // namespace orvane::sync::testing
