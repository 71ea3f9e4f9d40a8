// The address-book window's sync account dialog: server, user, password,
// trusted certificate, and the address book found there.

#include "Functions.h"
#include "SyncSession.h"
#include "carddav/CertificateError.h"
#include "frmOrvane.h"
#include "keychain/Keychain.h"
#include "sync/AddressBookCheck.h"
#include "sync/SyncAccountService.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/DialogBox.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using orvane::sync::AccountSetup;
using orvane::sync::SyncAccountService;

namespace {

constexpr const char* kServer = "Server address";
constexpr const char* kUser = "User name";
constexpr const char* kPassword = "Password";
constexpr const char* kCertificate = "Trusted certificate file";
constexpr const char* kBook = "Address book";
constexpr const char* kNotChecked = "(not checked yet)";

AccountSetup SetupFrom(const DialogBox& dialog) {
    return {dialog.Field(kServer), dialog.Field(kUser), dialog.Field(kPassword), {}, dialog.Field(kCertificate)};
}

// Runs a call to the server with a progress dialog; the error in words, or
// nothing when it went well.
std::optional<std::string> WithServer(const std::string& title, const std::function<void()>& call) {
    std::optional<std::string> problem;
    RunWithProgress(title, [&](WorkProgress&) {
        try {
            call();
        } catch (const orvane::carddav::CertificateError& e) {
            problem = SyncErrorText(e.Number(), e.Description(), e.Fingerprint());
        } catch (const orvane::Error& e) {
            problem = SyncErrorText(e.Number(), e.Description(), {});
        }
    });
    return problem;
}

}  // namespace

// The account dialog, shown again with what was typed until the account
// is set up, forgotten or the user cancels. True when it was set up.
bool frmOrvane::ShowAccountDialog() {
    const auto status = SyncAccountService(WindowDatabase()).Status();
    AccountSetup typed{status ? status->serverUrl : "", status ? status->user : "", msync->typedPassword.value_or(""),
                       {}, {}};
    std::string book = status ? status->addressBookUrl : kNotChecked;
    for (;;) {
        DialogBox dialog("Sync Account");
        dialog.AddText("Keep these addresses in step with a CardDAV address book (Nextcloud, Radicale, a mail "
                       "provider's) that your phone and other programs use too.");
        dialog.AddTextField(kServer, typed.url);
        dialog.AddTextField(kUser, typed.user);
        dialog.AddTextField(kPassword, typed.password, true);
        dialog.AddTextField(kCertificate, typed.caFile);
        dialog.AddValue(kBook, book);
        bool forgotten = false;
        dialog.AddActionButton("Check Connection", [&] {
            std::string found;
            const AccountSetup setup = SetupFrom(dialog);
            const auto problem = WithServer("Checking the Connection",
                                            [&] { found = orvane::sync::FindAddressBook(setup); });
            dialog.Value(kBook, problem ? *problem : found);
        });
        dialog.AddActionButton("Forget", [&] {
            const auto current = SyncAccountService(WindowDatabase()).Status();
            if (!current) {
                MsgBox("No sync account is set up.", vbInformation, Functions::gstrAppTitle);
                return;
            }
            if (MsgBox("Forget the sync account of " + current->user +
                           "? Every address stays here; the server is not changed.",
                       vbQuestion + vbYesNo, Functions::gstrAppTitle) == vbNo)
                return;
            SyncAccountService(WindowDatabase()).Forget();
            try {
                orvane::Keychain().Remove(orvane::CardDavPasswordKey(current->user, current->serverUrl));
            } catch (const orvane::Error&) {
                // Without a keychain no password was kept in one.
            }
            msync->typedPassword.reset();
            forgotten = true;
            dialog.Close(-1);
        });
        dialog.CloseButtons({"OK", "Cancel"});
        if (dialog.Show() != 0 || forgotten) return false;

        typed = SetupFrom(dialog);
        if (typed.url.empty() || typed.user.empty() || typed.password.empty()) {
            MsgBox("Please enter the server address, the user name and the password.", vbInformation,
                   Functions::gstrAppTitle);
            continue;
        }
        const SyncAccountService service(WindowDatabase());
        if (const auto problem = WithServer("Setting Up the Account", [&] { service.Setup(typed); })) {
            book = *problem;
            MsgBox(*problem, vbExclamation, Functions::gstrAppTitle);
            continue;
        }
        msync->typedPassword = typed.password;
        // The first run waits for the user's Synchronize or the clock's next turn.
        msync->nextDue = std::chrono::steady_clock::now() + SyncSession::kEvery;
        try {
            orvane::Keychain().Store(orvane::CardDavPasswordKey(typed.user, typed.url), typed.password);
        } catch (const orvane::Error& e) {
            MsgBox("The account is set up, but the password is not kept (" + e.Description() +
                       "). Synchronize will ask for it.",
                   vbInformation, Functions::gstrAppTitle);
        }
        return true;
    }
}
