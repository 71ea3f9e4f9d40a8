#pragma once

#include <string>

#include "CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {

// The server's certificate is not trusted. Carries the certificate's SHA-256
// fingerprint ("AB:CD:...") so that a window can show it for confirmation.
class CertificateError : public Error {
public:
    CertificateError(std::string description, std::string fingerprint, bool forAnotherName = false)
        : Error(errnum::Certificate, std::move(description)),
          fingerprint_(std::move(fingerprint)),
          forAnotherName_(forAnotherName) {}
    const std::string& Fingerprint() const noexcept { return fingerprint_; }
    // The certificate names other hosts than the one connected to: trusting
    // it would not help; the address must use a name it holds.
    bool ForAnotherName() const noexcept { return forAnotherName_; }

private:
    std::string fingerprint_;
    bool forAnotherName_ = false;
};

}  // namespace orvane::carddav
