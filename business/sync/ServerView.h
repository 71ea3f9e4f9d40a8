#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sync/SyncState.h"

namespace orvane::sync {

// The server's listing indexed by href, with each read card's fields as the
// vCard reader maps them.
class ServerView {
public:
    explicit ServerView(const ServerListing& listing);

    const ServerCard* Listed(const std::string& href) const;
    // Positively gone: a complete listing lacks it, or a change listing says so.
    bool Gone(const std::string& href) const;
    const std::vector<ServerCard>& Cards() const { return listing_.cards; }

private:
    const ServerListing& listing_;
    std::map<std::string, const ServerCard*> byHref_;
    std::set<std::string> removed_;
};

// The fields of a card text; nothing (and a problem noted) when the text is
// no readable card.
std::optional<transfer::AddressFields> FieldsOfCard(const std::string& href, const std::string& card,
                                                    std::vector<std::string>& problems);

}  // namespace orvane::sync
