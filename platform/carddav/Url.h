#pragma once

#include <string>

// URL handling for the client (through libcurl's URL parser).
namespace orvane::carddav::url {

// The URL in canonical form, without any user name or password in it.
// Throws orvane::Error (errnum::InsecureUrl) when it is not an absolute
// http or https URL.
std::string Normalize(const std::string& text);

// An href from an answer (absolute, or relative to the server) resolved
// against the URL of the request it answered.
std::string Resolve(const std::string& base, const std::string& href);

// The path (with its query) of a URL, percent-encoded: what an href holds.
std::string PathOf(const std::string& absolute);

// The last non-empty path segment, percent-decoded.
std::string LastSegment(const std::string& absolute);

// Throws orvane::Error (errnum::InsecureUrl) unless the URL is https, or
// plain http to a loopback address (127.0.0.0/8, ::1, localhost).
void RequireSafe(const std::string& absolute);

bool IsLoopbackHost(const std::string& host);

// Percent-encodes one path segment (everything but unreserved characters).
std::string EncodeSegment(const std::string& segment);

// The same resource? Compares the decoded paths, ignoring a trailing slash
// (servers answer for "/book" as "/book/" and the other way round).
bool SamePath(const std::string& a, const std::string& b);

// The key SamePath compares: the decoded path without a trailing slash.
std::string PathKey(const std::string& absolute);

// "scheme://host:port" with the scheme's default port filled in and the
// host in lower case: where credentials may go.
std::string Origin(const std::string& absolute);

// The host in lower case, an IPv6 address without its brackets.
std::string Host(const std::string& absolute);

// The host, with the port when the URL names one: for messages.
std::string ServerName(const std::string& absolute);

// Whether `member` lies inside the collection: the same origin, and below
// its path once percent-encoding is decoded, with no "." or ".." segment
// (encoded or not: a server may resolve those after decoding).
bool IsInside(const std::string& collection, const std::string& member);

}  // namespace orvane::carddav::url
