#include "adodb/StatementLog.h"

namespace orvane::adodb {
namespace {
std::function<void(const StatementRecord&)>& Observer() {
    static std::function<void(const StatementRecord&)> observer;
    return observer;
}
}  // namespace

void SetStatementObserver(std::function<void(const StatementRecord&)> observer) { Observer() = std::move(observer); }

bool HasStatementObserver() { return static_cast<bool>(Observer()); }

void NotifyStatement(const StatementRecord& record) {
    if (Observer()) Observer()(record);
}

}  // namespace orvane::adodb
