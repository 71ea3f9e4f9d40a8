#include "sync/ServerView.h"

#include "transfer/FileFormatError.h"
#include "transfer/VCardReader.h"

namespace orvane::sync {

ServerView::ServerView(const ServerListing& listing) : listing_(listing) {
    for (const ServerCard& card : listing.cards) byHref_.emplace(card.href, &card);
    removed_.insert(listing.removed.begin(), listing.removed.end());
}

const ServerCard* ServerView::Listed(const std::string& href) const {
    const auto found = byHref_.find(href);
    return found == byHref_.end() ? nullptr : found->second;
}

bool ServerView::Gone(const std::string& href) const {
    if (Listed(href)) return false;
    return listing_.complete || removed_.count(href) > 0;
}

std::optional<transfer::AddressFields> FieldsOfCard(const std::string& href, const std::string& card,
                                                    std::vector<std::string>& problems) {
    try {
        transfer::VCardReader reader(card);
        transfer::ImportedCard read;
        if (reader.Next(read)) return read.fields;
        problems.push_back(href + ": the server's answer holds no card; left as it is");
    } catch (const transfer::FileFormatError& error) {
        problems.push_back(href + ": the card cannot be read (line " + std::to_string(error.Line()) + ": " +
                           error.Description() + "); left as it is");
    }
    return std::nullopt;
}

}  // namespace orvane::sync
