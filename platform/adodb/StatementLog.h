#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Variant.h"

namespace orvane::adodb {

// What the layer was asked to run, exactly as the caller gave it: the
// statement text (before any dialect translation), or for a saved query
// its name together with the positional values.
struct StatementRecord {
    std::string text;
    bool savedQuery = false;
    std::vector<Variant> parameters;
};

// Installs an observer that sees every statement and saved-query call
// (used by the tests that check what reaches the engine). Empty to remove.
void SetStatementObserver(std::function<void(const StatementRecord&)> observer);

// Whether an observer is installed, so bulk work can skip building records.
bool HasStatementObserver();

// Called by Connection, Recordset and Command before they run anything.
void NotifyStatement(const StatementRecord& record);

}  // namespace orvane::adodb
