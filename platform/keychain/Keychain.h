#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/Error.h"

namespace orvane {

// Error numbers the keychain raises.
namespace keychain::errnum {
inline constexpr std::int32_t NoKeychain = 20001;  // no keychain runs in this session
inline constexpr std::int32_t Failed = 20002;      // the keychain answered with a failure
inline constexpr std::int32_t NotStorable = 20003; // a password the keychain cannot hold as text
}  // namespace keychain::errnum

// Raised when this session has no keychain at all: no D-Bus session bus, or
// nothing on it that serves secrets. Callers treat it as an expected state
// of the desktop (e.g. ask for the password another way), unlike a failure
// of a keychain that does run, which is a plain orvane::Error.
class NoKeychainError : public Error {
public:
    explicit NoKeychainError(std::string description) : Error(keychain::errnum::NoKeychain, std::move(description)) {}
};

// Passwords in the desktop's keychain (the Secret Service: GNOME Keyring,
// KeePassXC, KWallet's bridge), one per account key, under one service name.
// Every call waits for the keychain's answer. No password ever appears in
// an error's description.
//
// The calls need a Qt application object in the calling process. A program
// that has none (a command-line tool) gets one made on first use that lives
// until the program ends; the C library's locale is kept as it was. A
// program with its own Qt application must create it before the first call.
// Call from the thread that runs the Qt application (the main thread).
class Keychain {
public:
    static constexpr const char* kService = "orvane";

    explicit Keychain(std::string service = kService);
    ~Keychain();
    Keychain(const Keychain&) = delete;
    Keychain& operator=(const Keychain&) = delete;

    // Stores the password under key, replacing any earlier one. The password
    // must be non-empty UTF-8 text without NUL characters (errnum NotStorable).
    // A label, when given, is what the desktop's keychain manager shows for
    // the entry (Secret Service keychains; others show the service name).
    void Store(const std::string& key, const std::string& password, const std::string& label = {});
    // The password stored under key, or nothing when there is none.
    std::optional<std::string> Read(const std::string& key);
    // Removes the password stored under key; no error when there is none.
    void Remove(const std::string& key);

private:
    std::string service_;
};

// The key under which a CardDAV account's password is kept: "carddav:USER@URL".
std::string CardDavPasswordKey(const std::string& user, const std::string& url);
// The label a person sees for it in the keychain manager: "Orvane: USER at HOST".
std::string CardDavPasswordLabel(const std::string& user, const std::string& url);

}  // namespace orvane
