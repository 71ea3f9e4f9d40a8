#include "adodb/DialectFunctions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "adodb/SqlDialect.h"

namespace orvane::adodb::detail {
namespace {

bool IsNumber(sqlite3_value* v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A text that reads as a number in full, blanks around it allowed.
std::optional<double> TextAsNumber(sqlite3_value* v) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    if (!text) return std::nullopt;
    std::string s(text, static_cast<std::size_t>(sqlite3_value_bytes(v)));
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    return value;
}

void ResultSum(sqlite3_context* context, sqlite3_value* a, sqlite3_value* b) {
    if (sqlite3_value_type(a) == SQLITE_INTEGER && sqlite3_value_type(b) == SQLITE_INTEGER) {
        sqlite3_int64 sum = 0;
        if (!__builtin_add_overflow(sqlite3_value_int64(a), sqlite3_value_int64(b), &sum)) {
            sqlite3_result_int64(context, sum);
            return;
        }
    }
    sqlite3_result_double(context, sqlite3_value_double(a) + sqlite3_value_double(b));
}

// Jet's "+", decided on the values: see kDialectPlusFunction.
void Plus(sqlite3_context* context, int /*argc*/, sqlite3_value** argv) {
    sqlite3_value* a = argv[0];
    sqlite3_value* b = argv[1];
    if (sqlite3_value_type(a) == SQLITE_NULL || sqlite3_value_type(b) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (IsNumber(a) && IsNumber(b)) {
        ResultSum(context, a, b);
        return;
    }
    if (!IsNumber(a) && !IsNumber(b)) {
        const auto* left = sqlite3_value_text(a);
        const int leftBytes = sqlite3_value_bytes(a);
        const auto* right = sqlite3_value_text(b);
        const int rightBytes = sqlite3_value_bytes(b);
        std::string joined(reinterpret_cast<const char*>(left), static_cast<std::size_t>(leftBytes));
        joined.append(reinterpret_cast<const char*>(right), static_cast<std::size_t>(rightBytes));
        sqlite3_result_text64(context, joined.data(), joined.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    sqlite3_value* text = IsNumber(a) ? b : a;
    sqlite3_value* number = IsNumber(a) ? a : b;
    const std::optional<double> value = TextAsNumber(text);
    if (!value) {
        sqlite3_result_error(context, "Type mismatch: \"+\" of a number and a text that is not a number", -1);
        return;
    }
    const double sum = *value + sqlite3_value_double(number);
    if (sqlite3_value_type(number) == SQLITE_INTEGER && std::trunc(*value) == *value && std::fabs(sum) < 9.0e15)
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(sum));
    else
        sqlite3_result_double(context, sum);
}

}  // namespace

void RegisterDialectFunctions(sqlite3* db) {
    sqlite3_create_function_v2(db, kDialectPlusFunction, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                               nullptr, &Plus, nullptr, nullptr, nullptr);
}

}  // namespace orvane::adodb::detail
