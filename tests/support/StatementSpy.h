#pragma once

#include <vector>

#include "adodb/StatementLog.h"

namespace orvane::test {

// Records every statement and saved-query call that reaches the database
// layer while it lives.
class StatementSpy {
public:
    StatementSpy() {
        adodb::SetStatementObserver([this](const adodb::StatementRecord& r) { records.push_back(r); });
    }
    ~StatementSpy() { adodb::SetStatementObserver({}); }
    StatementSpy(const StatementSpy&) = delete;
    StatementSpy& operator=(const StatementSpy&) = delete;

    std::vector<adodb::StatementRecord> records;

    // The saved-query calls among them (a save also reads what the search
    // index needs to know).
    std::vector<adodb::StatementRecord> SavedQueries() const {
        std::vector<adodb::StatementRecord> saved;
        for (const adodb::StatementRecord& r : records)
            if (r.savedQuery) saved.push_back(r);
        return saved;
    }
};

}  // namespace orvane::test
