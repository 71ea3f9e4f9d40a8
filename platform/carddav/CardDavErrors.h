#pragma once

#include <cstdint>

// Error numbers raised by the CardDAV client, in one place so that its
// callers can tell what the user can do about each.
namespace orvane::carddav::errnum {

inline constexpr std::int32_t Network = 7001;          // no connection, timeout, broken transfer
inline constexpr std::int32_t ServerError = 7002;      // 5xx or an answer the protocol does not allow
inline constexpr std::int32_t Authentication = 7003;   // 401: user name or password refused
inline constexpr std::int32_t Certificate = 7004;      // the server's certificate is not trusted
inline constexpr std::int32_t InsecureUrl = 7005;      // plain http to a non-loopback host, or not a URL
inline constexpr std::int32_t BadAnswer = 7006;        // an XML answer that cannot be read
inline constexpr std::int32_t NoAddressBook = 7007;    // discovery found no (matching) address book
inline constexpr std::int32_t TooManyRedirects = 7008; // redirect loop or too many hops
inline constexpr std::int32_t Forbidden = 7009;        // 403 outside of a precondition
inline constexpr std::int32_t CaFile = 7010;           // the extra certificate file cannot be read
inline constexpr std::int32_t OtherServer = 7011;      // a redirect or address to another server than the one set up
inline constexpr std::int32_t Library = 7012;          // a library the client loads on first use is missing

}  // namespace orvane::carddav::errnum
