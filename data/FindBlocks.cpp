#include "FindBlocks.h"

#include <algorithm>
#include <map>
#include <set>

#include "adodb/Connection.h"
#include "adodb/PreparedStatement.h"

namespace FindPostings = orvane::data::FindPostings;

using orvane::adodb::PreparedStatement;

namespace {

bool HoldsAny(std::string_view postings, const std::vector<std::int32_t>& ids) {
    bool found = false;
    FindPostings::Decode(postings, [&](std::int32_t id, std::uint32_t) {
        found = found || std::binary_search(ids.begin(), ids.end(), id);
    });
    return found;
}

}  // namespace

FindBlocks::FindBlocks(orvane::adodb::Connection& cnn)
    : cnn_(cnn),
      put_(std::make_unique<PreparedStatement>(
          cnn, "INSERT OR REPLACE INTO OrvaneFindPostings (Block, Head, Words) VALUES (?1, ?2, ?3)")),
      drop_(std::make_unique<PreparedStatement>(cnn, "DELETE FROM OrvaneFindPostings WHERE Block = ?1 AND Head = ?2")),
      putPrints_(std::make_unique<PreparedStatement>(
          cnn, "INSERT OR REPLACE INTO OrvaneFindPrints (Block, Fingerprints) VALUES (?1, ?2)")),
      readPrints_(std::make_unique<PreparedStatement>(cnn, "SELECT Fingerprints FROM OrvaneFindPrints WHERE Block = ?1")) {}

FindBlocks::~FindBlocks() = default;

std::vector<std::int64_t> FindBlocks::Blocks(orvane::adodb::Connection& cnn) {
    std::vector<std::int64_t> blocks;
    PreparedStatement read(cnn, "SELECT Block FROM OrvaneFindPrints ORDER BY Block");
    while (read.Step()) blocks.push_back(read.Int64(0));
    return blocks;
}

std::vector<FindPosting> FindBlocks::Prints(std::int64_t block) {
    readPrints_->Bind(1, block);
    std::vector<FindPosting> prints;
    if (readPrints_->Step()) prints = FindPostings::DecodeAll(readPrints_->Bytes(0));
    readPrints_->Reset();
    return prints;
}

void FindBlocks::Update(std::int64_t block, const std::vector<std::int32_t>& gone, FindWordPostings added,
                        const std::vector<FindPosting>& prints, bool fresh) {
    // The block's words (with their postings as stored), and the heads of
    // the rows that change.
    std::map<std::string, std::string, std::less<>> words;
    std::set<std::string, std::less<>> heads;
    if (!fresh) {
        PreparedStatement read(cnn_, "SELECT Head, Words FROM OrvaneFindPostings WHERE Block = ?1");
        read.Bind(1, block);
        while (read.Step()) {
            FindPostings::ForEachWord(read.Bytes(1), [&](std::string_view word, std::string_view postings) {
                if (!gone.empty() && HoldsAny(postings, gone)) {
                    std::vector<FindPosting> kept = FindPostings::DecodeAll(postings);
                    std::erase_if(kept, [&](const FindPosting& p) { return std::binary_search(gone.begin(), gone.end(), p.id); });
                    heads.emplace(FindPostings::HeadOf(word));
                    if (kept.empty()) return;
                    words.emplace(word, FindPostings::Encode(kept));
                    return;
                }
                words.emplace(word, postings);
            });
        }
    }
    for (auto& [word, postings] : added) {
        if (!std::is_sorted(postings.begin(), postings.end())) std::sort(postings.begin(), postings.end());
        heads.emplace(FindPostings::HeadOf(word));
        auto [at, inserted] = words.try_emplace(word);
        if (!inserted) {
            std::vector<FindPosting> both = FindPostings::DecodeAll(at->second);
            const auto middle = static_cast<std::ptrdiff_t>(both.size());
            both.insert(both.end(), postings.begin(), postings.end());
            std::inplace_merge(both.begin(), both.begin() + middle, both.end());
            at->second = FindPostings::Encode(both);
        } else {
            at->second = FindPostings::Encode(postings);
        }
    }
    // Each changed row written whole, in head order (for a new block at the
    // end of the index, appended to the table).
    std::string row;
    for (const std::string& head : heads) {
        row.clear();
        for (auto it = words.lower_bound(head); it != words.end() && it->first.starts_with(head); ++it)
            if (FindPostings::HeadOf(it->first) == head) FindPostings::AppendWord(row, it->first, it->second);
        PreparedStatement& write = row.empty() ? *drop_ : *put_;
        write.Bind(1, block);
        write.BindBlob(2, head);
        if (!row.empty()) write.BindBlob(3, row);
        write.Run();
    }

    if (prints.empty()) {
        PreparedStatement drop(cnn_, "DELETE FROM OrvaneFindPrints WHERE Block = ?1");
        drop.Bind(1, block);
        drop.Run();
        return;
    }
    putPrints_->Bind(1, block);
    putPrints_->BindBlob(2, FindPostings::Encode(prints));
    putPrints_->Run();
}
