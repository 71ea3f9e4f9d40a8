#pragma once

#include <string>

#include "CardDavErrors.h"
#include "core/Error.h"

namespace orvane::carddav {

// The server's certificate is not trusted. Carries the certificate's SHA-256
// fingerprint ("AB:CD:...") so that a window can show it for confirmation.
class CertificateError : public Error {
public:
    CertificateError(std::string description, std::string fingerprint)
        : Error(errnum::Certificate, std::move(description)), fingerprint_(std::move(fingerprint)) {}
    const std::string& Fingerprint() const noexcept { return fingerprint_; }

private:
    std::string fingerprint_;
};

}  // namespace orvane::carddav
