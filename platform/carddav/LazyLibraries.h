#pragma once

// The client's libraries (libcurl with OpenSSL, libxml2) are loaded when the
// client first calls one of them, not when a program that links the client
// starts: the address-book window links it, most of its starts never sync,
// and these libraries with theirs take megabytes and milliseconds to map.
//
// Included LAST by every file of the client that calls them (after their
// own headers): from here on each call of one of their functions goes
// through a pointer looked up once per place of call. A function whose
// address is taken is named through ORVANE_LAZY instead.

#include <curl/curl.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlwriter.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace orvane::carddav::lazy {

enum class Library { Curl, Xml, Ssl, Crypto };

// The function of that name in the library, which is loaded first if it
// is not yet; throws orvane::Error (errnum::Library) when either is missing.
void* Symbol(Library library, const char* name);

template <class Function>
Function Resolve(Library library, const char* name) {
    return reinterpret_cast<Function>(Symbol(library, name));
}

}  // namespace orvane::carddav::lazy

// The library's function as a pointer of its own declared type.
#define ORVANE_LAZY(library, name)                                                                                \
    ([] {                                                                                                          \
        static const auto function =                                                                               \
            ::orvane::carddav::lazy::Resolve<decltype(&::name)>(::orvane::carddav::lazy::Library::library, #name); \
        return function;                                                                                           \
    }())

// Curl
#define curl_easy_cleanup(...) ORVANE_LAZY(Curl, curl_easy_cleanup)(__VA_ARGS__)
#define curl_easy_escape(...) ORVANE_LAZY(Curl, curl_easy_escape)(__VA_ARGS__)
// curl.h makes these two macros already, to take exactly three arguments.
#undef curl_easy_getinfo
#define curl_easy_getinfo(handle, info, arg) ORVANE_LAZY(Curl, curl_easy_getinfo)(handle, info, arg)
#define curl_easy_init(...) ORVANE_LAZY(Curl, curl_easy_init)(__VA_ARGS__)
#define curl_easy_perform(...) ORVANE_LAZY(Curl, curl_easy_perform)(__VA_ARGS__)
#define curl_easy_reset(...) ORVANE_LAZY(Curl, curl_easy_reset)(__VA_ARGS__)
#undef curl_easy_setopt
#define curl_easy_setopt(handle, option, value) ORVANE_LAZY(Curl, curl_easy_setopt)(handle, option, value)
#define curl_easy_strerror(...) ORVANE_LAZY(Curl, curl_easy_strerror)(__VA_ARGS__)
#define curl_easy_unescape(...) ORVANE_LAZY(Curl, curl_easy_unescape)(__VA_ARGS__)
#define curl_free(...) ORVANE_LAZY(Curl, curl_free)(__VA_ARGS__)
#define curl_global_init(...) ORVANE_LAZY(Curl, curl_global_init)(__VA_ARGS__)
#define curl_slist_append(...) ORVANE_LAZY(Curl, curl_slist_append)(__VA_ARGS__)
#define curl_slist_free_all(...) ORVANE_LAZY(Curl, curl_slist_free_all)(__VA_ARGS__)
#define curl_url(...) ORVANE_LAZY(Curl, curl_url)(__VA_ARGS__)
#define curl_url_cleanup(...) ORVANE_LAZY(Curl, curl_url_cleanup)(__VA_ARGS__)
#define curl_url_get(...) ORVANE_LAZY(Curl, curl_url_get)(__VA_ARGS__)
#define curl_url_set(...) ORVANE_LAZY(Curl, curl_url_set)(__VA_ARGS__)

// Xml
#define xmlBufferContent(...) ORVANE_LAZY(Xml, xmlBufferContent)(__VA_ARGS__)
#define xmlBufferCreate(...) ORVANE_LAZY(Xml, xmlBufferCreate)(__VA_ARGS__)
#define xmlBufferFree(...) ORVANE_LAZY(Xml, xmlBufferFree)(__VA_ARGS__)
#define xmlBufferLength(...) ORVANE_LAZY(Xml, xmlBufferLength)(__VA_ARGS__)
#define xmlCreatePushParserCtxt(...) ORVANE_LAZY(Xml, xmlCreatePushParserCtxt)(__VA_ARGS__)
#define xmlCtxtUseOptions(...) ORVANE_LAZY(Xml, xmlCtxtUseOptions)(__VA_ARGS__)
#define xmlFreeParserCtxt(...) ORVANE_LAZY(Xml, xmlFreeParserCtxt)(__VA_ARGS__)
#define xmlFreeTextWriter(...) ORVANE_LAZY(Xml, xmlFreeTextWriter)(__VA_ARGS__)
#define xmlNewTextWriterMemory(...) ORVANE_LAZY(Xml, xmlNewTextWriterMemory)(__VA_ARGS__)
#define xmlParseChunk(...) ORVANE_LAZY(Xml, xmlParseChunk)(__VA_ARGS__)
#define xmlStopParser(...) ORVANE_LAZY(Xml, xmlStopParser)(__VA_ARGS__)
#define xmlTextWriterEndDocument(...) ORVANE_LAZY(Xml, xmlTextWriterEndDocument)(__VA_ARGS__)
#define xmlTextWriterEndElement(...) ORVANE_LAZY(Xml, xmlTextWriterEndElement)(__VA_ARGS__)
#define xmlTextWriterStartDocument(...) ORVANE_LAZY(Xml, xmlTextWriterStartDocument)(__VA_ARGS__)
#define xmlTextWriterStartElementNS(...) ORVANE_LAZY(Xml, xmlTextWriterStartElementNS)(__VA_ARGS__)
#define xmlTextWriterWriteAttribute(...) ORVANE_LAZY(Xml, xmlTextWriterWriteAttribute)(__VA_ARGS__)
#define xmlTextWriterWriteString(...) ORVANE_LAZY(Xml, xmlTextWriterWriteString)(__VA_ARGS__)

// Ssl
#define SSL_CTX_get_cert_store(...) ORVANE_LAZY(Ssl, SSL_CTX_get_cert_store)(__VA_ARGS__)
#define SSL_CTX_get_ex_data(...) ORVANE_LAZY(Ssl, SSL_CTX_get_ex_data)(__VA_ARGS__)
#define SSL_CTX_get_verify_mode(...) ORVANE_LAZY(Ssl, SSL_CTX_get_verify_mode)(__VA_ARGS__)
#define SSL_CTX_set_ex_data(...) ORVANE_LAZY(Ssl, SSL_CTX_set_ex_data)(__VA_ARGS__)
#define SSL_CTX_set_verify(...) ORVANE_LAZY(Ssl, SSL_CTX_set_verify)(__VA_ARGS__)
#define SSL_get_SSL_CTX(...) ORVANE_LAZY(Ssl, SSL_get_SSL_CTX)(__VA_ARGS__)
#define SSL_get_ex_data_X509_STORE_CTX_idx(...) ORVANE_LAZY(Ssl, SSL_get_ex_data_X509_STORE_CTX_idx)(__VA_ARGS__)

// Crypto
#define ASN1_STRING_get0_data(...) ORVANE_LAZY(Crypto, ASN1_STRING_get0_data)(__VA_ARGS__)
#define ASN1_STRING_length(...) ORVANE_LAZY(Crypto, ASN1_STRING_length)(__VA_ARGS__)
#define BIO_free(...) ORVANE_LAZY(Crypto, BIO_free)(__VA_ARGS__)
#define BIO_new_mem_buf(...) ORVANE_LAZY(Crypto, BIO_new_mem_buf)(__VA_ARGS__)
#define CRYPTO_get_ex_new_index(...) ORVANE_LAZY(Crypto, CRYPTO_get_ex_new_index)(__VA_ARGS__)
#define ERR_clear_error(...) ORVANE_LAZY(Crypto, ERR_clear_error)(__VA_ARGS__)
#define EVP_sha256(...) ORVANE_LAZY(Crypto, EVP_sha256)(__VA_ARGS__)
#define GENERAL_NAMES_free(...) ORVANE_LAZY(Crypto, GENERAL_NAMES_free)(__VA_ARGS__)
#define OPENSSL_sk_num(...) ORVANE_LAZY(Crypto, OPENSSL_sk_num)(__VA_ARGS__)
#define OPENSSL_sk_value(...) ORVANE_LAZY(Crypto, OPENSSL_sk_value)(__VA_ARGS__)
#define PEM_read_bio_X509(...) ORVANE_LAZY(Crypto, PEM_read_bio_X509)(__VA_ARGS__)
#define X509_NAME_get_text_by_NID(...) ORVANE_LAZY(Crypto, X509_NAME_get_text_by_NID)(__VA_ARGS__)
#define X509_STORE_CTX_get0_cert(...) ORVANE_LAZY(Crypto, X509_STORE_CTX_get0_cert)(__VA_ARGS__)
#define X509_STORE_CTX_get_ex_data(...) ORVANE_LAZY(Crypto, X509_STORE_CTX_get_ex_data)(__VA_ARGS__)
#define X509_STORE_add_cert(...) ORVANE_LAZY(Crypto, X509_STORE_add_cert)(__VA_ARGS__)
#define X509_check_host(...) ORVANE_LAZY(Crypto, X509_check_host)(__VA_ARGS__)
#define X509_check_ip_asc(...) ORVANE_LAZY(Crypto, X509_check_ip_asc)(__VA_ARGS__)
#define X509_digest(...) ORVANE_LAZY(Crypto, X509_digest)(__VA_ARGS__)
#define X509_free(...) ORVANE_LAZY(Crypto, X509_free)(__VA_ARGS__)
#define X509_get_ext_d2i(...) ORVANE_LAZY(Crypto, X509_get_ext_d2i)(__VA_ARGS__)
#define X509_get_subject_name(...) ORVANE_LAZY(Crypto, X509_get_subject_name)(__VA_ARGS__)
