#pragma once

#include <optional>
#include <string>

namespace orvane::sync {

// The certificate an account trusts besides the system's, stored in the
// database as PEM text, written for the length of one run to a private
// temporary file (the CardDAV client reads a file). Removed on destruction.
class TrustedCertificateFile {
public:
    explicit TrustedCertificateFile(const std::optional<std::string>& pem);
    ~TrustedCertificateFile();
    TrustedCertificateFile(const TrustedCertificateFile&) = delete;
    TrustedCertificateFile& operator=(const TrustedCertificateFile&) = delete;

    // Empty when the account trusts no certificate of its own.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace orvane::sync
