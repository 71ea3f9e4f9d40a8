#pragma once

#include <string>

// What the client trusts in a TLS handshake: the system's certificate
// authorities, plus one optional extra certificate file for this account.
// Also remembers the server's own certificate so that a refusal can name
// its SHA-256 fingerprint.
namespace orvane::carddav {

class TlsTrust {
public:
    // Reads the extra certificate file now (throws orvane::Error, errnum::CaFile).
    explicit TlsTrust(const std::string& caFile);

    // For CURLOPT_SSL_CTX_FUNCTION with this object as CURLOPT_SSL_CTX_DATA.
    static int PrepareContext(void* curl, void* sslContext, void* self);

    // Before each transfer to `host` (a name or an IP address).
    void Reset(std::string host) {
        host_ = std::move(host);
        fingerprint_.clear();
        names_.clear();
        namesHost_ = true;
    }
    // "AB:CD:..." of the server's certificate in the last handshake; empty before one.
    const std::string& ServerFingerprint() const { return fingerprint_; }
    // The names the server's certificate is made out to ("a.example, 192.0.2.1").
    const std::string& ServerNames() const { return names_; }
    // False when the last handshake's certificate holds none of them for the
    // host connected to (true before one).
    bool NamesHost() const { return namesHost_; }

private:
    static int Verify(int preverifyOk, void* storeContext);
    std::string extraPem_;
    std::string host_;
    std::string fingerprint_;
    std::string names_;
    bool namesHost_ = true;
};

}  // namespace orvane::carddav
