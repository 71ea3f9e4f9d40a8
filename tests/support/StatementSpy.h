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
};

}  // namespace orvane::test
