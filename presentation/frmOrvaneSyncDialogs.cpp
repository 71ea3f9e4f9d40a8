// The address-book window's sync dialogs: the account (server, user,
// password, the address book found) and the held conflicts, each address's
// values here and on the server side by side.

#include <map>

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

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
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
        try {
            orvane::Keychain().Store(orvane::CardDavPasswordKey(typed.user, typed.url), typed.password);
        } catch (const orvane::Error& e) {
            MsgBox(PasswordNotKeptText(e.Number()), vbInformation, Functions::gstrAppTitle);
        }
        return true;
    }
}

// One dialog per address held in conflict: the fields that differ, our
// value and the server's side by side, and which side to take. True when
// a choice has something to send and the user wants it synced now.
bool frmOrvane::ResolveConflicts() {
    std::map<std::int32_t, std::vector<orvane::sync::ConflictLine>> byAddress;
    for (orvane::sync::ConflictLine& line : SyncAccountService(WindowDatabase()).Conflicts())
        byAddress[line.addressId].push_back(std::move(line));
    // Only a side taken from this computer has something to send.
    bool toSend = false;
    for (const auto& [lngAddressID, lines] : byAddress) {
        std::string name;
        for (std::int32_t i = 0; i < lstAddress.ListCount(); ++i)
            if (lstAddress.ItemData(i) == lngAddressID) name = lstAddress.List(i);
        std::vector<std::vector<std::string>> rows;
        for (const orvane::sync::ConflictLine& line : lines)
            rows.push_back({Capitalized(orvane::sync::FieldName(line.field)), line.ours, line.theirs});
        DialogBox dialog("Sync Conflict");
        dialog.AddText("\"" + name + "\" was changed here and on the server in different ways. Which do you keep?");
        dialog.AddTable({"Field", "On this computer", "On the server"}, rows);
        dialog.CloseButtons({"Keep This Computer's", "Take the Server's", "Decide Later"});
        const std::int32_t answer = dialog.Show();
        if (answer != 0 && answer != 1) continue;
        SyncAccountService(WindowDatabase()).Resolve(lngAddressID,
                                       answer == 0 ? orvane::sync::Side::Local : orvane::sync::Side::Server);
        toSend = toSend || answer == 0;
    }
    NoteSyncAccount();
    ReloadKeepingSelection();
    if (!toSend) return false;
    return MsgBox("Synchronize now to bring the choices to the server?", vbQuestion + vbYesNo,
                  Functions::gstrAppTitle) == vbYes;
}
