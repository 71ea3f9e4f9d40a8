#include "SyncSession.h"

#include "core/App.h"

std::string WindowDatabase() { return orvane::App::NativePath(orvane::App::Path() + "\\Database\\Addressbook.mdb"); }

SyncOutcome RunSync(const std::string& database, const std::string& password, orvane::toolkit::WorkProgress& progress) {
    SyncOutcome outcome;
    try {
        orvane::sync::SyncOptions options;
        options.database = database;
        options.password = password;
        options.progress = [&progress](std::size_t done, std::size_t total, const orvane::sync::SyncStep& next) {
            if (const auto hook = SyncSession::stepHook) hook(done);
            progress.Report(done, total, SyncStepText(done, total, next));
        };
        options.cancel = &progress.CancelRequested();
        outcome.result = orvane::sync::SyncRun(std::move(options), SyncSession::openBook).Run();
    } catch (const std::exception&) {
        outcome = {{}, orvane::sync::SyncFailureOf()};
    }
    return outcome;
}

std::string SyncErrorText(const orvane::sync::SyncFailure& failure, SyncErrorPlace place) {
    using Kind = orvane::sync::SyncFailure::Kind;
    const std::string& description = failure.message;
    const bool here = place == SyncErrorPlace::AccountDialog;
    switch (failure.kind) {
        case Kind::Authentication:
            if (here) return "The server refused the user name or the password. Correct them and check the connection again.";
            if (place == SyncErrorPlace::RunWithKeptPassword)
                return "The server refused the user name or the password kept in the keychain. If the password has "
                       "changed, type the new one under Sync Account\u2026 (in the name list's context menu).";
            return "The server refused the user name or the password. Synchronize again to type the password; a "
                   "wrong user name is corrected under Sync Account\u2026 (in the name list's context menu).";
        case Kind::UntrustedCertificate:
            return "The server's certificate is not one this computer trusts, so nothing was sent. Its SHA-256 "
                   "fingerprint is\n" + failure.fingerprint +
                   (here ? "\nIf that is your server's certificate, choose its file beside \"Trusted certificate "
                           "file\" and check again."
                         : "\nIf that is your server's certificate, choose its file under Sync Account\u2026.");
        case Kind::Offline:
            // The description is the transfer library's own text: not for the user.
            return here ? "The server cannot be reached. Check the server address and the network connection, "
                          "then check again."
                        : "The address book server cannot be reached. Check that this computer is online and that the "
                          "server address under Sync Account\u2026 is right; the next automatic sync tries again, or "
                          "choose Synchronize (F5) to try now.";
        case Kind::NoAddressBook:
            return here ? "No address book was found there: " + description +
                              " Check the server address and check the connection again."
                        : "The address book was not found on the server; it may have been deleted or renamed. "
                          "Choose it again under Sync Account\u2026.";
        case Kind::Forbidden:
            return "The server does not let this account change the address book. Ask the server's "
                   "administrator, or choose another address book" +
                   std::string(here ? "." : " under Sync Account\u2026.");
        case Kind::ServerFault:
            return "The server answered with an error of its own, so the sync stopped; nothing is lost. Try "
                   "again later.";
        case Kind::CaFileUnreadable:
            return description + (here ? " Choose the certificate file again." : " Choose it again under Sync Account\u2026.");
        default: return description;
    }
}

bool SyncNeedsUser(orvane::sync::SyncFailure::Kind kind) {
    using Kind = orvane::sync::SyncFailure::Kind;
    return kind != Kind::Offline && kind != Kind::ServerFault;
}

std::string PasswordNotKeptText(std::int32_t keychainError) {
    if (orvane::sync::SyncFailureKind(keychainError) == orvane::sync::SyncFailure::Kind::NoKeychain)
        return "The account is set up. No password keychain (such as GNOME Keyring or KWallet) is running on "
               "this desktop, so the password is kept only until Orvane closes; after that, Synchronize asks "
               "for it once.";
    return "The account is set up, but the keychain did not keep the password. Synchronize asks for it once "
           "each time Orvane starts; unlock or restart the keychain to have it kept.";
}
