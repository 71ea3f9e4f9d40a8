#pragma once

#include <string>

namespace orvane::carddav {

// The SHA-256 fingerprint ("AB:CD:...") of the first certificate in PEM
// text, as a refusal of an untrusted server names it; empty when the text
// holds no certificate.
std::string CertificateFingerprint(const std::string& pem);

}  // namespace orvane::carddav
