// What the user can do about a failed sync, read from the exceptions the
// CardDAV client, the keychain and the sync itself raise.

#include <gtest/gtest.h>

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>

#include "carddav/CardDavErrors.h"
#include "carddav/CertificateError.h"
#include "core/Error.h"
#include "keychain/Keychain.h"
#include "sync/SyncFailure.h"
#include "sync/SyncRun.h"

namespace orvane::sync {

// A kind by its name in a failed check.
static void PrintTo(SyncFailure::Kind kind, std::ostream* out) {
    static const char* const names[] = {"Authentication", "UntrustedCertificate", "Offline", "NoAddressBook",
                                        "Forbidden", "ServerFault", "CaFileUnreadable", "AnotherRun", "NoAccount",
                                        "NoKeychain", "KeychainFailed", "Other"};
    *out << names[static_cast<int>(kind)];
}

namespace {

using Kind = SyncFailure::Kind;

// An error as the client or the sync raises it.
std::exception_ptr Raised(std::int32_t number) {
    return std::make_exception_ptr(Error(number, "Error " + std::to_string(number) + "."));
}

TEST(SyncFailureTest, EachErrorIsNamedByWhatTheUserCanDoAboutIt) {
    const std::string fingerprint = "AB:CD:EF";
    const struct Row {
        const char* what;
        std::exception_ptr error;
        Kind kind;
        std::int32_t number;
        std::string message;
        std::string fingerprint;
        bool forAnotherName;
    } rows[] = {
        {"refused password", Raised(carddav::errnum::Authentication), Kind::Authentication,
         carddav::errnum::Authentication, "Error 7003.", "", false},
        {"untrusted certificate",
         std::make_exception_ptr(carddav::CertificateError("Not trusted: " + fingerprint, fingerprint)),
         Kind::UntrustedCertificate, carddav::errnum::Certificate, "Not trusted: " + fingerprint, fingerprint, false},
        {"certificate for another name",
         std::make_exception_ptr(carddav::CertificateError("For 127.0.0.1.", fingerprint, true)),
         Kind::UntrustedCertificate, carddav::errnum::Certificate, "For 127.0.0.1.", fingerprint, true},
        {"no connection", Raised(carddav::errnum::Network), Kind::Offline, carddav::errnum::Network, "Error 7001.",
         "", false},
        {"redirect loop", Raised(carddav::errnum::TooManyRedirects), Kind::Offline,
         carddav::errnum::TooManyRedirects, "Error 7008.", "", false},
        {"no address book", Raised(carddav::errnum::NoAddressBook), Kind::NoAddressBook,
         carddav::errnum::NoAddressBook, "Error 7007.", "", false},
        {"forbidden", Raised(carddav::errnum::Forbidden), Kind::Forbidden, carddav::errnum::Forbidden,
         "Error 7009.", "", false},
        {"server error", Raised(carddav::errnum::ServerError), Kind::ServerFault, carddav::errnum::ServerError,
         "Error 7002.", "", false},
        {"unreadable answer", Raised(carddav::errnum::BadAnswer), Kind::ServerFault, carddav::errnum::BadAnswer,
         "Error 7006.", "", false},
        {"certificate file", Raised(carddav::errnum::CaFile), Kind::CaFileUnreadable, carddav::errnum::CaFile,
         "Error 7010.", "", false},
        {"another run", Raised(errnum::AnotherRun), Kind::AnotherRun, errnum::AnotherRun, "Error 7104.", "", false},
        {"no account", Raised(errnum::NoAccount), Kind::NoAccount, errnum::NoAccount, "Error 7101.", "", false},
        {"no keychain", std::make_exception_ptr(NoKeychainError("No session bus.")), Kind::NoKeychain,
         keychain::errnum::NoKeychain, "No session bus.", "", false},
        {"keychain failed", Raised(keychain::errnum::Failed), Kind::KeychainFailed, keychain::errnum::Failed,
         "Error 20002.", "", false},
        {"password not storable", Raised(keychain::errnum::NotStorable), Kind::KeychainFailed,
         keychain::errnum::NotStorable, "Error 20003.", "", false},
        {"plain http elsewhere", Raised(carddav::errnum::InsecureUrl), Kind::Other, carddav::errnum::InsecureUrl,
         "Error 7005.", "", false},
        {"another server", Raised(carddav::errnum::OtherServer), Kind::Other, carddav::errnum::OtherServer,
         "Error 7011.", "", false},
        {"library missing", Raised(carddav::errnum::Library), Kind::Other, carddav::errnum::Library, "Error 7012.",
         "", false},
        {"no number", std::make_exception_ptr(std::runtime_error("Disk full.")), Kind::Other, 0, "Disk full.", "",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SyncFailure caught;
        try {
            std::rethrow_exception(row.error);
        } catch (...) {
            caught = SyncFailureOf();
        }
        for (const SyncFailure& failure : {caught, SyncFailureOf(row.error)}) {
            EXPECT_EQ(failure.kind, row.kind);
            EXPECT_EQ(failure.number, row.number);
            EXPECT_EQ(failure.message, row.message);
            EXPECT_EQ(failure.fingerprint, row.fingerprint);
            EXPECT_EQ(failure.certificateForAnotherName, row.forAnotherName);
        }
    }
}

// Only the program's own failures are described; anything else goes on up.
TEST(SyncFailureTest, WhatIsNoStandardExceptionIsThrownOn) {
    EXPECT_THROW(SyncFailureOf(std::make_exception_ptr(42)), int);
}

}  // namespace
}  // namespace orvane::sync
