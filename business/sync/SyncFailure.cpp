#include "sync/SyncFailure.h"

#include <stdexcept>

#include "carddav/CardDavErrors.h"
#include "carddav/CertificateError.h"
#include "core/Error.h"
#include "keychain/Keychain.h"
#include "sync/SyncRun.h"

namespace orvane::sync {

SyncFailure::Kind SyncFailureKind(std::int32_t number) {
    using Kind = SyncFailure::Kind;
    switch (number) {
        case carddav::errnum::Authentication: return Kind::Authentication;
        case carddav::errnum::Certificate: return Kind::UntrustedCertificate;
        case carddav::errnum::Network:
        case carddav::errnum::TooManyRedirects: return Kind::Offline;
        case carddav::errnum::NoAddressBook: return Kind::NoAddressBook;
        case carddav::errnum::Forbidden: return Kind::Forbidden;
        case carddav::errnum::ServerError:
        case carddav::errnum::BadAnswer: return Kind::ServerFault;
        case carddav::errnum::CaFile: return Kind::CaFileUnreadable;
        case errnum::AnotherRun: return Kind::AnotherRun;
        case errnum::NoAccount: return Kind::NoAccount;
        case keychain::errnum::NoKeychain: return Kind::NoKeychain;
        case keychain::errnum::Failed:
        case keychain::errnum::NotStorable: return Kind::KeychainFailed;
        default: return Kind::Other;
    }
}

SyncFailure SyncFailureOf(std::exception_ptr error) {
    if (!error) throw std::logic_error("SyncFailureOf: no exception");
    SyncFailure failure;
    try {
        std::rethrow_exception(error);
    } catch (const carddav::CertificateError& e) {
        failure.number = e.Number();
        failure.message = e.Description();
        failure.fingerprint = e.Fingerprint();
        failure.certificateForAnotherName = e.ForAnotherName();
    } catch (const Error& e) {
        failure.number = e.Number();
        failure.message = e.Description();
    } catch (const std::exception& e) {
        failure.message = e.what();
    }
    failure.kind = SyncFailureKind(failure.number);
    return failure;
}

}  // namespace orvane::sync
