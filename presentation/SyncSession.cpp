#include "SyncSession.h"

#include "carddav/CardDavErrors.h"
#include "carddav/CertificateError.h"
#include "core/App.h"
#include "core/Error.h"

std::string WindowDatabase() { return orvane::App::NativePath(orvane::App::Path() + "\\Database\\Addressbook.mdb"); }

SyncOutcome RunSync(const std::string& database, const std::string& password, orvane::toolkit::WorkProgress& progress) {
    SyncOutcome outcome;
    try {
        orvane::sync::SyncOptions options;
        options.database = database;
        options.password = password;
        options.progress = [&progress](std::size_t done, std::size_t total, const std::string& what) {
            progress.Report(done, total, what);
        };
        options.cancel = &progress.CancelRequested();
        outcome.result = orvane::sync::SyncRun(std::move(options)).Run();
    } catch (const orvane::carddav::CertificateError& e) {
        outcome = {{}, true, e.Number(), e.Description(), e.Fingerprint()};
    } catch (const orvane::Error& e) {
        outcome = {{}, true, e.Number(), e.Description(), {}};
    } catch (const std::exception& e) {
        outcome = {{}, true, 0, e.what(), {}};
    }
    return outcome;
}

std::string SyncErrorText(std::int32_t number, const std::string& description, const std::string& fingerprint) {
    namespace errnum = orvane::carddav::errnum;
    switch (number) {
        case errnum::Authentication:
            return "The server refused the user name or the password. Check them under Sync Account.";
        case errnum::Certificate:
            return "The server's certificate is not trusted. Its SHA-256 fingerprint is\n" + fingerprint +
                   "\nIf that is your server's certificate, give its file under Sync Account.";
        case errnum::Network: return "The server cannot be reached: " + description;
        case errnum::NoAddressBook: return "No address book was found there: " + description;
        default: return description;
    }
}
