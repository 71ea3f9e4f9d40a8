#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "carddav/CardDavErrors.h"
#include "core/Error.h"
#include "sync/CardLines.h"
#include "sync/ServerBook.h"

namespace orvane::sync::test {

// An address book on a server, kept in memory: a run over it shows every
// rule of the run without a server process, and it misbehaves on demand the
// ways servers do. Sync tokens are "tok-N" for the N-th change, ETags carry
// the change that wrote the card. Each handle (the run's, a phone's) counts
// its own requests; all handles share the book.
class MemoryBook final : public ServerBook {
public:
    struct Stored {
        std::string etag;
        std::string text;
    };
    // The book itself and what it does wrong; shared by every handle.
    struct State {
        std::string url = "https://dav.example.org/alice/contacts/";
        std::map<std::string, Stored> cards;
        std::map<std::string, std::uint64_t> changedAt;  // href -> change that last wrote or removed it
        std::uint64_t changes = 0;
        std::uint64_t tokensValidFrom = 0;  // older tokens are invalid (expired)
        std::size_t requests = 0;           // over every handle

        bool keepsTokens = true;    // offers sync-collection
        bool takesVCard4 = false;
        bool etagOnWrite = true;    // a write's answer names the new ETag
        std::size_t failAtRequest = 0;  // this request (counted over every handle) fails as offline; 0: none
        bool answerLost = false;        // a failing write reaches the book; only its answer is lost
        bool namesUidHolder = false;    // a refused UID names the card holding it (not every server does)
        // What the server stores for a card written to it (a server that normalises cards).
        std::function<std::string(const std::string&)> rewrite;
        // Called once, just before the next write reaches the book (another client's change under it).
        std::function<void()> beforeNextWrite;
        carddav::ConnectionSettings openedWith;  // the settings of the last run's handle
    };

    MemoryBook() : state_(std::make_shared<State>()) {}
    explicit MemoryBook(std::shared_ptr<State> state) : state_(std::move(state)) {}

    // Another handle of the same book (a phone, the next run).
    MemoryBook Handle() const { return MemoryBook(state_); }
    BookOpener Opener() const {
        return [state = state_](const carddav::ConnectionSettings& settings) -> std::unique_ptr<ServerBook> {
            state->openedWith = settings;
            return std::make_unique<MemoryBook>(state);
        };
    }
    State& Book() const { return *state_; }
    const std::string& Url() const { return state_->url; }

    // Changes made on the server itself, not counted as requests.
    void Put(const std::string& href, const std::string& text) { Write(href, text); }
    void Seed(const std::string& fileName, const std::string& text) { Put(Url() + fileName, text); }
    void Remove(const std::string& href) {
        state_->cards.erase(href);
        state_->changedAt[href] = ++state_->changes;
    }
    // Every token given so far becomes invalid, as when a server drops its history.
    void ExpireTokens() { state_->tokensValidFrom = ++state_->changes; }
    std::map<std::string, carddav::RemoteCard> Cards() const {
        std::map<std::string, carddav::RemoteCard> cards;
        for (const auto& [href, stored] : state_->cards) cards[href] = {href, stored.etag, stored.text};
        return cards;
    }

    bool OffersSyncCollection() override {
        Request();
        return state_->keepsTokens;
    }
    bool TakesVCard4() override {
        Request();
        return state_->takesVCard4;
    }
    carddav::SyncChanges SyncCollection(const std::string& token) override {
        Request();
        if (!state_->keepsTokens) throw Error(carddav::errnum::Forbidden, "sync-collection is not offered (HTTP 403)");
        carddav::SyncChanges answer;
        std::uint64_t since = 0;
        if (!token.empty()) {
            const bool ours = token.rfind("tok-", 0) == 0 && token.size() > 4 &&
                              token.find_first_not_of("0123456789", 4) == std::string::npos;
            if (!ours || std::stoull(token.substr(4)) < state_->tokensValidFrom ||
                std::stoull(token.substr(4)) > state_->changes) {
                answer.tokenInvalid = true;
                return answer;
            }
            since = std::stoull(token.substr(4));
        }
        for (const auto& [href, at] : state_->changedAt) {
            if (at <= since) continue;
            const auto card = state_->cards.find(href);
            if (card != state_->cards.end()) answer.changed.push_back({href, card->second.etag, card->second.text});
            else if (since > 0) answer.removed.push_back(href);
        }
        answer.newToken = "tok-" + std::to_string(state_->changes);
        answer.rounds = 1;
        return answer;
    }
    std::vector<carddav::RemoteEtag> ListEtags() override {
        Request();
        std::vector<carddav::RemoteEtag> listed;
        for (const auto& [href, stored] : state_->cards) listed.push_back({href, stored.etag});
        return listed;
    }
    carddav::MultigetResult Multiget(const std::vector<std::string>& cardUrls) override {
        Request();
        carddav::MultigetResult result;
        for (const std::string& url : cardUrls) {
            const auto card = state_->cards.find(url);
            if (card == state_->cards.end()) result.missing.push_back(url);
            else result.cards.push_back({url, card->second.etag, card->second.text});
        }
        return result;
    }
    std::optional<carddav::RemoteCard> Get(const std::string& cardUrl) override {
        Request();
        const auto card = state_->cards.find(cardUrl);
        if (card == state_->cards.end()) return std::nullopt;
        return carddav::RemoteCard{cardUrl, card->second.etag, card->second.text};
    }

    std::string CardUrl(const std::string& fileName) const override { return Url() + fileName; }
    carddav::WriteResult Create(const std::string& cardUrl, const std::string& vcard) override {
        return Writing([&]() -> carddav::WriteResult {
            if (state_->cards.count(cardUrl)) return Answer(carddav::WriteOutcome::PreconditionFailed, cardUrl, 412);
            if (const auto holder = UidHeldElsewhere(cardUrl, vcard)) return UidConflict(cardUrl, *holder);
            return Written(carddav::WriteOutcome::Created, cardUrl, vcard);
        });
    }
    carddav::WriteResult Update(const std::string& cardUrl, const std::string& etag,
                                const std::string& vcard) override {
        return Writing([&]() -> carddav::WriteResult {
            const auto card = state_->cards.find(cardUrl);
            if (card == state_->cards.end()) return Answer(carddav::WriteOutcome::NotFound, cardUrl, 404);
            if (card->second.etag != etag) return Answer(carddav::WriteOutcome::PreconditionFailed, cardUrl, 412);
            if (const auto holder = UidHeldElsewhere(cardUrl, vcard)) return UidConflict(cardUrl, *holder);
            return Written(carddav::WriteOutcome::Updated, cardUrl, vcard);
        });
    }
    carddav::WriteResult Delete(const std::string& cardUrl, const std::string& etag) override {
        return Writing([&]() -> carddav::WriteResult {
            const auto card = state_->cards.find(cardUrl);
            if (card == state_->cards.end()) return Answer(carddav::WriteOutcome::NotFound, cardUrl, 404);
            if (!etag.empty() && card->second.etag != etag)
                return Answer(carddav::WriteOutcome::PreconditionFailed, cardUrl, 412);
            Remove(cardUrl);
            return Answer(carddav::WriteOutcome::Deleted, cardUrl, 204);
        });
    }

    std::size_t RequestCount() const override { return requests_; }
    std::vector<std::string> SkippedHrefs() const override { return {}; }

private:

    bool Failing() {
        ++requests_;
        return ++state_->requests == state_->failAtRequest;
    }
    static Error Offline() { return Error(carddav::errnum::Network, "The server could not be reached."); }
    void Request() {
        if (Failing()) throw Offline();
    }
    template <class Write>
    carddav::WriteResult Writing(Write write) {
        const bool failing = Failing();
        if (failing && !state_->answerLost) throw Offline();
        if (auto change = std::exchange(state_->beforeNextWrite, nullptr)) change();
        carddav::WriteResult result = write();
        if (failing) throw Offline();
        return result;
    }
    static carddav::WriteResult Answer(carddav::WriteOutcome outcome, const std::string& href, long status) {
        carddav::WriteResult answer;
        answer.outcome = outcome;
        answer.url = href;
        answer.status = status;
        return answer;
    }
    carddav::WriteResult UidConflict(const std::string& href, const std::string& holder) const {
        carddav::WriteResult refused = Answer(carddav::WriteOutcome::Conflict, href, 409);
        refused.message = "409 Conflict";
        refused.reason = "no-uid-conflict";
        if (state_->namesUidHolder) refused.existingUrl = holder;
        return refused;
    }
    // A book holds each UID once, as CardDAV asks: the card holding it elsewhere.
    std::optional<std::string> UidHeldElsewhere(const std::string& href, const std::string& vcard) const {
        const std::string uid = CardUid(vcard);
        for (const auto& [other, stored] : state_->cards)
            if (other != href && !uid.empty() && CardUid(stored.text) == uid) return other;
        return std::nullopt;
    }
    std::string Write(const std::string& href, const std::string& text) {
        const std::uint64_t change = ++state_->changes;
        const std::string etag = "\"r" + std::to_string(change) + "\"";
        state_->cards[href] = {etag, text};
        state_->changedAt[href] = change;
        return etag;
    }
    carddav::WriteResult Written(carddav::WriteOutcome outcome, const std::string& href, const std::string& text) {
        const std::string etag = Write(href, state_->rewrite ? state_->rewrite(text) : text);
        carddav::WriteResult result = Answer(outcome, href, outcome == carddav::WriteOutcome::Created ? 201 : 204);
        if (state_->etagOnWrite) result.etag = etag;
        return result;
    }

    std::shared_ptr<State> state_;
    std::size_t requests_ = 0;
};

}  // namespace orvane::sync::test
