#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace orvane::sync {

// Why a sync, or a call to the account's server or keychain, failed: named
// by what the user can do about it. The window and orvane-transfer put it in
// their own words; neither needs to know the client's or keychain's errors.
struct SyncFailure {
    enum class Kind {
        Authentication,        // the server refused the user name or the password
        UntrustedCertificate,  // the server's certificate is not trusted (see fingerprint)
        Offline,               // the server cannot be reached: no connection, timeout, redirect loop
        NoAddressBook,         // no (matching) address book at the address
        Forbidden,             // the account may not change the address book
        ServerFault,           // the server answered with an error, or with what cannot be read
        CaFileUnreadable,      // the trusted certificate file cannot be read
        AnotherRun,            // another sync of the same database holds the address book
        NoAccount,             // no account is set up in the database
        NoKeychain,            // no keychain runs on this desktop
        KeychainFailed,        // the keychain runs but did not do what was asked
        Other,                 // anything else: the message says what
    };

    Kind kind = Kind::Other;
    std::int32_t number = 0;  // the error's own number; 0 when it has none
    std::string message;      // the error's description, meant for the user
    std::string fingerprint;  // an untrusted certificate's SHA-256 ("AB:CD:...")
    // The certificate names other hosts than the one connected to: trusting
    // it would not help; the address must use a name it holds.
    bool certificateForAnotherName = false;
};

// The kind of failure an error number stands for.
SyncFailure::Kind SyncFailureKind(std::int32_t number);

// The failure an exception stands for, by default the one being handled.
// An exception that is no std::exception is no failure of the program's:
// it is thrown on.
SyncFailure SyncFailureOf(std::exception_ptr error = std::current_exception());

}  // namespace orvane::sync
