#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sync/SyncAccountService.h"

// The address-book window's sync dialogs. Each shows what it asks and
// returns what the user chose; the window acts on it.

// The password for user at serverUrl, the one typed before in this session
// filled in; none when the user cancels.
std::optional<std::string> AskSyncPassword(const std::string& user, const std::string& serverUrl,
                                           const std::string& typed);

// One address held in conflict (name as the list shows it): the fields and
// properties that differ, our value and the server's side by side. The
// side to take; none when the user decides later.
std::optional<orvane::sync::Side> AskConflictSide(const std::string& name, const std::vector<HeldConflict>& lines);

// Whether the sides taken from this computer are to be synced now.
bool AskSyncNow();
