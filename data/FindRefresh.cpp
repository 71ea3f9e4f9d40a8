#include "FindRefresh.h"

#include <algorithm>
#include <deque>
#include <future>
#include <memory>
#include <thread>

#include "FindBlocks.h"
#include "adodb/PreparedStatement.h"

namespace orvane::data::FindRefresh {
namespace {

// One block's addresses as read, with the prints stored for them, and
// what comparing them gives.
struct BlockWork {
    std::int64_t block = 0;
    std::vector<FindSource> addresses;
    std::vector<FindPosting> stored;
    std::vector<FindPosting> prints;
    std::vector<std::int32_t> gone;  // whatever the index holds of these goes
    FindWordPostings added;
    std::vector<std::int32_t> renewed;  // indexed anew
};

// Compares a block's addresses with their stored prints and makes the
// postings of those that differ: no use of the database, so it runs beside
// the reading and writing of the blocks around it.
void Compare(BlockWork& w, const FindIndexRules& rules) {
    w.prints.reserve(w.addresses.size());
    auto old = w.stored.begin();
    for (const FindSource& a : w.addresses) {
        for (; old != w.stored.end() && old->id < a.id; ++old) w.gone.push_back(old->id);
        const std::uint32_t print = a.Fingerprint();
        w.prints.push_back({a.id, print});
        const bool known = old != w.stored.end() && old->id == a.id;
        const bool same = known && old->value == print;
        if (known) ++old;
        if (same) continue;
        if (known) w.gone.push_back(a.id);
        for (FindWord& word : rules.wordsOf(a)) w.added[std::move(word.word)].push_back({a.id, word.value});
        w.renewed.push_back(a.id);
    }
    for (; old != w.stored.end(); ++old) w.gone.push_back(old->id);
    std::sort(w.gone.begin(), w.gone.end());
    w.addresses.clear();
}

}  // namespace

std::size_t Run(orvane::adodb::Connection& cnn, std::size_t total, bool hasCards, const FindIndexRules& rules,
                const std::function<void(std::size_t, std::size_t)>& progress) {
    FindBlocks blocks(cnn);
    const std::vector<std::int64_t> stored = FindBlocks::Blocks(cnn);
    std::vector<std::int64_t> seen;
    std::vector<std::int32_t> changed;
    std::size_t done = 0, indexed = 0;

    // Blocks are compared on as many threads as the machine has cores,
    // while the next is read and the earlier ones written, in order.
    const std::size_t depth = std::max(1u, std::thread::hardware_concurrency());
    std::deque<std::pair<std::unique_ptr<BlockWork>, std::future<void>>> comparing;
    std::unique_ptr<BlockWork> reading = std::make_unique<BlockWork>();
    const auto writeFirst = [&] {
        auto [w, compared] = std::move(comparing.front());
        comparing.pop_front();
        compared.get();
        if (!w->gone.empty() || !w->renewed.empty()) {
            blocks.Update(w->block, w->gone, std::move(w->added), w->prints, w->stored.empty());
            changed.insert(changed.end(), w->gone.begin(), w->gone.end());
            changed.insert(changed.end(), w->renewed.begin(), w->renewed.end());
            indexed += w->renewed.size();
        }
        done += w->prints.size();
        if (progress) progress(std::min(done, total), total);
    };
    const auto finishBlock = [&] {
        if (reading->addresses.empty()) return;
        reading->block = FindPostings::BlockOf(reading->addresses.front().id);
        reading->stored = blocks.Prints(reading->block);
        seen.push_back(reading->block);
        std::future<void> compared = std::async(std::launch::async, [w = reading.get(), &rules] { Compare(*w, rules); });
        comparing.emplace_back(std::move(reading), std::move(compared));
        reading = std::make_unique<BlockWork>();
        while (comparing.size() > depth) writeFirst();
    };

    // Read in one pass while the index is written: the engine lets a
    // connection write other tables than the ones it is reading.
    orvane::adodb::PreparedStatement read(
        cnn, std::string("SELECT a.ID, a.FirstName, a.LastName, a.Address, a.PostalCode, a.State, a.Country, a.Phone, ") +
                 (hasCards ? "c.CardText FROM tblAddress a LEFT JOIN OrvaneCards c ON c.AddressID = a.ID"
                           : "NULL FROM tblAddress a") +
                 " ORDER BY a.ID");
    while (read.Step()) {
        const auto id = static_cast<std::int32_t>(read.Int64(0));
        std::vector<FindSource>& block = reading->addresses;
        if (!block.empty() && FindPostings::BlockOf(id) != FindPostings::BlockOf(block.front().id)) finishBlock();
        FindSource& a = reading->addresses.emplace_back();
        a.id = id;
        for (std::size_t f = 0; f < a.fields.size(); ++f) a.fields[f] = read.Bytes(static_cast<int>(f) + 1);
        if (!read.IsNull(8)) a.card = read.Bytes(8);
    }
    finishBlock();
    while (!comparing.empty()) writeFirst();

    // Blocks whose addresses are all gone.
    for (std::int64_t b : stored) {
        if (std::binary_search(seen.begin(), seen.end(), b)) continue;
        std::vector<std::int32_t> gone;
        for (const FindPosting& p : blocks.Prints(b)) gone.push_back(p.id);
        blocks.Update(b, gone, {}, {}, false);
        changed.insert(changed.end(), gone.begin(), gone.end());
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    FindOrder::Update(cnn, changed, rules.sortKey);
    return indexed;
}

}  // namespace orvane::data::FindRefresh
