// The address-book window's sync account dialog: server, user, password,
// trusted certificate, and the address book chosen among those found. What
// is stored (password, certificate, book) is shown and kept unless the
// user changes it.

#include <vector>

#include "Functions.h"
#include "SyncSession.h"
#include "frmOrvane.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/DialogBox.h"
#include "toolkit/FileDialog.h"
#include "toolkit/MsgBox.h"

using namespace orvane::toolkit;
using orvane::sync::AccountSetup;
using orvane::sync::FoundBook;
using orvane::sync::SyncAccountService;

namespace {

constexpr const char* kServer = "Server address";
constexpr const char* kUser = "User name";
constexpr const char* kPassword = "Password";
constexpr const char* kCertificate = "Trusted certificate file";
constexpr const char* kKeptCertificate = "Certificate kept";
constexpr const char* kBook = "Address book";
constexpr const char* kNotChecked = "(not checked yet)";

// The password kept for the account: in the keychain, else typed earlier
// in this session.
struct KeptPassword {
    std::optional<std::string> password;
    bool inKeychain = false;
};

KeptPassword FindKeptPassword(const std::optional<orvane::sync::AccountStatus>& status,
                              const std::optional<std::string>& typedThisSession) {
    if (!status) return {};
    try {
        if (auto kept = orvane::Keychain().Read(orvane::CardDavPasswordKey(status->user, status->serverUrl)))
            return {std::move(kept), true};
    } catch (const orvane::Error&) {
        // No keychain, or one that fails: only this session's password is kept.
    }
    return {typedThisSession, false};
}

// Runs a call to the server with a progress dialog; the error in words, or
// nothing when it went well.
std::optional<std::string> WithServer(const std::string& title, const std::function<void()>& call) {
    std::optional<std::string> problem;
    RunWithProgress(title, [&](WorkProgress&) {
        try {
            call();
        } catch (const orvane::Error&) {
            problem = SyncErrorText(orvane::sync::SyncFailureOf(), SyncErrorPlace::AccountDialog);
        }
    });
    return problem;
}

std::vector<std::string> Names(const std::vector<FoundBook>& books) {
    std::vector<std::string> names;
    for (const FoundBook& book : books) names.push_back(book.name);
    return names;
}

std::int32_t IndexOf(const std::vector<FoundBook>& books, const std::string& url) {
    for (std::size_t i = 0; i < books.size(); ++i)
        if (books[i].url == url) return static_cast<std::int32_t>(i);
    return books.empty() ? -1 : 0;
}

// The dialog's state between its showings (it is shown again with what was
// typed until the account is set up, forgotten or the user cancels).
struct AccountForm {
    AccountSetup typed;
    KeptPassword kept;
    std::optional<orvane::sync::AccountStatus> stored;
    // The books found for (server, user) by the last check, or the stored one.
    std::vector<FoundBook> books;
    std::string booksServer;
    std::string booksUser;
    std::string chosenUrl;
    std::string bookText = kNotChecked;

    // The kept password belongs to the stored account only: it is never sent
    // to another server or for another user.
    bool KeptPasswordApplies() const {
        return kept.password && stored && typed.url == stored->serverUrl && typed.user == stored->user;
    }

    void ReadFrom(const DialogBox& dialog) {
        typed.url = dialog.Field(kServer);
        typed.user = dialog.Field(kUser);
        typed.password = dialog.Field(kPassword);
        typed.caFile = dialog.Field(kCertificate);
        const std::int32_t choice = dialog.Choice(kBook);
        if (choice >= 0 && static_cast<std::size_t>(choice) < books.size()) chosenUrl = books[choice].url;
    }

    // What goes to the server: the kept password when none is typed, the
    // stored certificate when no other file is given, the book chosen when
    // the books shown were found for this server and user.
    AccountSetup Setup() const {
        AccountSetup setup = typed;
        if (setup.password.empty() && KeptPasswordApplies()) setup.password = *kept.password;
        setup.keepCertificate = true;
        if (typed.url == booksServer && typed.user == booksUser) setup.addressBookUrl = chosenUrl;
        return setup;
    }
};

// The password in the keychain under the account's key, labelled for the
// desktop's keychain manager. The entry of the account it replaces (another
// server or user) goes, so no password outlives its account.
void KeepPassword(const std::optional<orvane::sync::AccountStatus>& before, const AccountSetup& setup) {
    const std::string key = orvane::CardDavPasswordKey(setup.user, setup.url);
    try {
        if (before && orvane::CardDavPasswordKey(before->user, before->serverUrl) != key)
            orvane::Keychain().Remove(orvane::CardDavPasswordKey(before->user, before->serverUrl));
    } catch (const orvane::Error&) {
        // Without a keychain none was kept; a failing one is told of below.
    }
    try {
        orvane::Keychain().Store(key, setup.password, orvane::CardDavPasswordLabel(setup.user, setup.url));
    } catch (const orvane::Error& e) {
        MsgBox(PasswordNotKeptText(e.Number()), vbInformation, Functions::gstrAppTitle);
    }
}

}  // namespace

// The account dialog. True when an account was set up.
bool frmOrvane::ShowAccountDialog() {
    AccountForm form;
    form.stored = SyncAccountService(WindowDatabase()).Status();
    form.kept = FindKeptPassword(form.stored, msync->typedPassword);
    if (form.stored) {
        form.typed.url = form.stored->serverUrl;
        form.typed.user = form.stored->user;
        const std::string& name = form.stored->addressBookName;
        form.books = {{form.stored->addressBookUrl, name.empty() ? form.stored->addressBookUrl : name}};
        form.booksServer = form.stored->serverUrl;
        form.booksUser = form.stored->user;
        form.chosenUrl = form.stored->addressBookUrl;
        form.bookText = form.stored->addressBookUrl;
    }
    for (;;) {
        DialogBox dialog("Sync Account");
        dialog.AddText("Keep these addresses in step with a CardDAV address book (Nextcloud, Radicale, a mail "
                       "provider's) that your phone and other programs use too.");
        dialog.AddTextField(kServer, form.typed.url);
        dialog.AddTextField(kUser, form.typed.user);
        dialog.AddTextField(kPassword, form.typed.password, true);
        if (form.kept.password)
            dialog.Placeholder(kPassword, form.kept.inKeychain ? "kept in the keychain" : "kept until Orvane closes");
        dialog.AddTextField(kCertificate, form.typed.caFile, "Choose…", [&] {
            const std::vector<std::string> files =
                ShowOpenFiles("Trusted Certificate", "Certificates (*.pem *.crt *.cer);;All files (*)");
            if (!files.empty()) dialog.Field(kCertificate, files.front());
        });
        if (form.stored && !form.stored->certificateFingerprint.empty()) {
            dialog.Placeholder(kCertificate, "the kept certificate stays");
            dialog.AddValue(kKeptCertificate, "SHA-256 " + form.stored->certificateFingerprint);
        }
        dialog.AddChoice(kBook, Names(form.books), IndexOf(form.books, form.chosenUrl), form.bookText, [&] {
            const std::int32_t choice = dialog.Choice(kBook);
            if (choice >= 0 && static_cast<std::size_t>(choice) < form.books.size())
                dialog.Value(kBook, form.books[choice].url);
        });
        bool forgotten = false;
        dialog.AddActionButton("Check Connection", [&] {
            form.ReadFrom(dialog);
            const AccountSetup setup = form.Setup();
            std::vector<FoundBook> found;
            const auto problem = WithServer("Checking the Connection", [&] {
                found = SyncAccountService(WindowDatabase()).FindBooks(setup);
            });
            if (problem) {
                form.books.clear();
                form.bookText = *problem;
            } else {
                form.books = std::move(found);
                form.booksServer = setup.url;
                form.booksUser = setup.user;
                const std::int32_t chosen = IndexOf(form.books, form.chosenUrl);
                form.chosenUrl = form.books[chosen].url;
                form.bookText = form.chosenUrl;
            }
            dialog.Choices(kBook, Names(form.books), IndexOf(form.books, form.chosenUrl));
            dialog.Value(kBook, form.bookText);
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

        form.ReadFrom(dialog);
        const AccountSetup setup = form.Setup();
        if (setup.url.empty() || setup.user.empty()) {
            MsgBox("Enter the server address and the user name of the account.", vbInformation,
                   Functions::gstrAppTitle);
            continue;
        }
        if (setup.password.empty()) {
            MsgBox(form.kept.password ? "The kept password belongs to " + form.stored->user + " at " +
                                            form.stored->serverUrl + ". Type the password for this account."
                                      : "Type the password of the account.",
                   vbInformation, Functions::gstrAppTitle);
            continue;
        }
        const SyncAccountService service(WindowDatabase());
        if (const auto problem = WithServer("Setting Up the Account", [&] { service.Setup(setup); })) {
            form.bookText = *problem;
            MsgBox(*problem, vbExclamation, Functions::gstrAppTitle);
            continue;
        }
        msync->typedPassword = setup.password;
        KeepPassword(form.stored, setup);
        return true;
    }
}
