#include "card/CardValidation.h"

#include <charconv>

#include "core/Error.h"
#include "transfer/TextTools.h"

namespace orvane::card {
namespace text = transfer::text;

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

void CheckDate(const std::string& field, const CardDate& date) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool exists = (!date.year || (*date.year >= 1 && *date.year <= 9999)) && date.month >= 1 &&
                        date.month <= 12 && date.day >= 1 && date.day <= kDays[date.month - 1] &&
                        !(date.month == 2 && date.day == 29 && date.year && !IsLeapYear(*date.year));
    if (!exists) throw Error(kInvalidCardValue, field + ": there is no date " + date.Text() + ".");
}

bool Digits(std::string_view digits, int& value) {
    if (digits.empty()) return false;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size();
}

void CheckEmail(const std::string& field, const std::string& address) {
    const std::size_t at = address.find('@');
    const bool blanks = address.find_first_of(" \t\r\n") != std::string::npos;
    if (at == std::string::npos || at == 0 || at + 1 == address.size() ||
        address.find('@', at + 1) != std::string::npos || blanks || address[at + 1] == '.' || address.back() == '.')
        throw Error(kInvalidCardValue,
                    field + ": \"" + address + "\" is no e-mail address (a name, \"@\" and a domain, as in name@example.org).");
}

}  // namespace

std::optional<CardDate> ParseCardDate(const std::string& field, const std::string& typed) {
    std::string_view value = text::Trim(typed);
    if (value.empty()) return std::nullopt;
    if (value.starts_with("--")) value.remove_prefix(2);
    CardDate date;
    int year = 0;
    bool read = false;
    if (value.size() == 10 && value[4] == '-' && value[7] == '-') {
        read = Digits(value.substr(0, 4), year) && Digits(value.substr(5, 2), date.month) && Digits(value.substr(8, 2), date.day);
        date.year = year;
    } else if (value.size() == 5 && value[2] == '-') {
        read = Digits(value.substr(0, 2), date.month) && Digits(value.substr(3, 2), date.day);
    }
    if (!read)
        throw Error(kInvalidCardValue, field + ": \"" + typed + "\" is no date (year-month-day as 1980-05-21, or 05-21 without the year).");
    CheckDate(field, date);
    return date;
}

void ValidateCardModel(const CardModel& model) {
    for (std::size_t i = 0; i < model.emails.size(); ++i)
        CheckEmail("E-mail address " + std::to_string(i + 1), std::string(text::Trim(model.emails[i].value)));
    if (model.birthday) CheckDate("Birthday", *model.birthday);
    if (model.anniversary) CheckDate("Anniversary", *model.anniversary);
}

}  // namespace orvane::card
