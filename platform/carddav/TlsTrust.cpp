#include "TlsTrust.h"

#include "CertificateFingerprint.h"

#include <curl/curl.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <arpa/inet.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "CardDavErrors.h"
#include "core/Error.h"
#include "LazyLibraries.h"  // last: see there

namespace orvane::carddav {
namespace {

// Where a TLS context keeps its TlsTrust, for the verify callback.
int ContextIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

std::string Sha256Fingerprint(X509* cert) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(cert, EVP_sha256(), digest, &length) != 1) return {};
    static const char* hex = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i) text += ':';
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 0xF];
    }
    return text;
}

// The DNS names and IP addresses of the certificate's subjectAltName, or its
// common name when it has none.
std::string NamesOf(X509* cert) {
    std::string names;
    auto add = [&](const std::string& name) { names += (names.empty() ? "" : ", ") + name; };
    auto* alt = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; alt && i < sk_GENERAL_NAME_num(alt); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(alt, i);
        if (name->type == GEN_DNS) {
            const ASN1_STRING* text = name->d.dNSName;
            add(std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                            static_cast<std::size_t>(ASN1_STRING_length(text))));
        } else if (name->type == GEN_IPADD) {
            const ASN1_OCTET_STRING* ip = name->d.iPAddress;
            char text[INET6_ADDRSTRLEN] = {};
            const int family = ASN1_STRING_length(ip) == 16 ? AF_INET6 : AF_INET;
            if (inet_ntop(family, ASN1_STRING_get0_data(ip), text, sizeof text)) add(text);
        }
    }
    GENERAL_NAMES_free(alt);
    if (names.empty()) {
        char common[256] = {};
        if (X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_commonName, common, sizeof common) > 0)
            add(common);
    }
    return names.empty() ? "no name" : names;
}

bool HoldsHost(X509* cert, const std::string& host) {
    if (host.empty()) return true;
    in6_addr ip{};
    if (inet_pton(AF_INET, host.c_str(), &ip) == 1 || inet_pton(AF_INET6, host.c_str(), &ip) == 1)
        return X509_check_ip_asc(cert, host.c_str(), 0) == 1;
    return X509_check_host(cert, host.c_str(), host.size(), 0, nullptr) == 1;
}

struct BioFree {
    void operator()(BIO* b) const { BIO_free(b); }
};
struct X509Free {
    void operator()(X509* c) const { X509_free(c); }
};

}  // namespace

TlsTrust::TlsTrust(const std::string& caFile) {
    if (caFile.empty()) return;
    std::ifstream in(caFile, std::ios::binary);
    if (!in) throw Error(errnum::CaFile, "Cannot read the certificate file " + caFile + ".");
    extraPem_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    // Check now that it holds at least one certificate, not at the first handshake.
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(extraPem_.data(), static_cast<int>(extraPem_.size())));
    std::unique_ptr<X509, X509Free> first(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    ERR_clear_error();
    if (!first) throw Error(errnum::CaFile, "The file " + caFile + " holds no PEM certificate.");
}

int TlsTrust::PrepareContext(void*, void* sslContext, void* self) {
    auto* ctx = static_cast<SSL_CTX*>(sslContext);
    auto* trust = static_cast<TlsTrust*>(self);
    if (!trust->extraPem_.empty()) {
        // Added to the store that already holds the system's authorities.
        X509_STORE* store = SSL_CTX_get_cert_store(ctx);
        std::unique_ptr<BIO, BioFree> bio(
            BIO_new_mem_buf(trust->extraPem_.data(), static_cast<int>(trust->extraPem_.size())));
        while (X509* raw = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
            std::unique_ptr<X509, X509Free> cert(raw);
            X509_STORE_add_cert(store, cert.get());  // a duplicate is harmless
        }
        ERR_clear_error();
    }
    SSL_CTX_set_ex_data(ctx, ContextIndex(), trust);
    SSL_CTX_set_verify(ctx, SSL_CTX_get_verify_mode(ctx),
                       [](int ok, X509_STORE_CTX* store) { return Verify(ok, store); });
    return CURLE_OK;
}

int TlsTrust::Verify(int preverifyOk, void* storeContext) {
    auto* store = static_cast<X509_STORE_CTX*>(storeContext);
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* trust = ssl ? static_cast<TlsTrust*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), ContextIndex())) : nullptr;
    // The leaf is the certificate being verified, whatever depth failed.
    if (trust && trust->fingerprint_.empty()) {
        if (X509* leaf = X509_STORE_CTX_get0_cert(store)) {
            trust->fingerprint_ = Sha256Fingerprint(leaf);
            trust->names_ = NamesOf(leaf);
            trust->namesHost_ = HoldsHost(leaf, trust->host_);
        }
    }
    return preverifyOk;  // the decision stays OpenSSL's and libcurl's
}

std::string CertificateFingerprint(const std::string& pem) {
    const std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                         ORVANE_LAZY(Crypto, BIO_free));
    if (!bio) return {};
    const std::unique_ptr<X509, decltype(&X509_free)> cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr),
                                                           ORVANE_LAZY(Crypto, X509_free));
    return cert ? Sha256Fingerprint(cert.get()) : std::string();
}

}  // namespace orvane::carddav
