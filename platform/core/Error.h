#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvane {

// Every failure in the program is one of these: a number (the engine's or
// runtime's error code) and a description meant for the user.
class Error : public std::runtime_error {
public:
    Error(std::int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string description_;
};

// Runtime error numbers used outside the database layer.
namespace errnum {
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t InvalidFileFormat = 321;
inline constexpr std::int32_t RecordNotFound = 3021;
}  // namespace errnum

}  // namespace orvane
