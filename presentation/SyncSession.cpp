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

std::string SyncErrorText(std::int32_t number, const std::string& description, const std::string& fingerprint,
                          SyncErrorPlace place) {
    namespace errnum = orvane::carddav::errnum;
    const bool here = place == SyncErrorPlace::AccountDialog;
    switch (number) {
        case errnum::Authentication:
            if (here) return "The server refused the user name or the password. Correct them and check the connection again.";
            if (place == SyncErrorPlace::RunWithKeptPassword)
                return "The server refused the user name or the password kept in the keychain. If the password has "
                       "changed, type the new one under Sync Account.";
            return "The server refused the user name or the password. Synchronize again to type the password; a "
                   "wrong user name is corrected under Sync Account.";
        case errnum::Certificate:
            return "The server's certificate is not trusted. Its SHA-256 fingerprint is\n" + fingerprint +
                   (here ? "\nIf that is your server's certificate, choose its file beside \"Trusted certificate "
                           "file\" and check again."
                         : "\nIf that is your server's certificate, choose its file under Sync Account.");
        case errnum::Network:
            // The description is the transfer library's own text: not for the user.
            return here ? "The server cannot be reached. Check the server address and the network connection, "
                          "then check again."
                        : "The server cannot be reached. Check the network connection, or the server address under "
                          "Sync Account.";
        case errnum::NoAddressBook:
            return "No address book was found there: " + description +
                   (here ? " Check the server address and check the connection again."
                         : " Check the connection and choose the address book again under Sync Account.");
        case errnum::CaFile:
            return description + (here ? " Choose the certificate file again." : " Choose it again under Sync Account.");
        default: return description;
    }
}
