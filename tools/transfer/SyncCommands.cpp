#include "SyncCommands.h"

#include <iostream>
#include <string>
#include <utility>

#include "core/Error.h"
#include "core/PasswordInput.h"
#include "keychain/Keychain.h"
#include "sync/SyncAccountService.h"
#include "sync/SyncFailure.h"
#include "sync/SyncRun.h"

namespace {

using orvane::sync::SyncAccountService;
using orvane::sync::SyncFailure;
using Kind = SyncFailure::Kind;

constexpr int kFailed = 1;
constexpr int kRefused = 1;
constexpr int kPasswordRefused = 3;
constexpr int kCertificateNotTrusted = 4;
constexpr int kSafetyStop = 5;
constexpr int kConflictsHeld = 6;
constexpr int kAnotherRun = 7;

// A failure the command finds itself, with no error raised beneath.
SyncFailure Found(Kind kind, std::string message) {
    SyncFailure failure;
    failure.kind = kind;
    failure.message = std::move(message);
    return failure;
}

// Says on standard error why the command failed; the exit status for it.
int Report(const SyncFailure& failure) {
    // The message names an untrusted certificate's SHA-256 fingerprint, or
    // the names it is for when it is for another one (trusting it would not
    // help then).
    std::cerr << "orvane-transfer: " << failure.message;
    if (failure.kind == Kind::UntrustedCertificate && !failure.certificateForAnotherName)
        std::cerr << " To trust it: sync setup ... --ca-file FILE";
    std::cerr << '\n';
    switch (failure.kind) {
        case Kind::Authentication: return kPasswordRefused;
        case Kind::UntrustedCertificate: return kCertificateNotTrusted;
        case Kind::AnotherRun: return kAnotherRun;
        default: return kFailed;
    }
}

// Standard input as the password: typed at a prompt, unseen, on a terminal;
// read to its end from a pipe or file.
std::string PasswordFromStandardInput(const std::string& user) {
    if (orvane::StandardInputIsTerminal())
        return orvane::ReadPasswordFromTerminal(user.empty() ? "Password: " : "Password for " + user + ": ");
    return orvane::ReadPasswordFromStandardInput();
}

// The password given on the command line's terms, if any.
std::optional<std::string> GivenPassword(const SyncCommandLine& line) {
    if (line.passwordStdin) return PasswordFromStandardInput(line.user);
    if (!line.passwordFile.empty()) return orvane::ReadPasswordFile(line.passwordFile);
    return std::nullopt;
}

int Setup(const SyncCommandLine& line) {
    std::optional<std::string> password = GivenPassword(line);
    if (!password) password = PasswordFromStandardInput(line.user);
    orvane::sync::AccountSetup setup;
    setup.url = line.url;
    setup.user = line.user;
    setup.password = *password;
    setup.addressBook = line.addressBook;
    setup.caFile = line.caFile;
    const SyncAccountService service(line.database);
    const auto before = service.Status();
    const std::string book = service.Setup(setup);
    std::cout << "address book " << book << " set up for " << line.user << '\n';
    const std::string key = orvane::CardDavPasswordKey(line.user, line.url);
    // The password of the account replaced (another server or user) goes with it.
    if (before && orvane::CardDavPasswordKey(before->user, before->serverUrl) != key) {
        try {
            orvane::Keychain().Remove(orvane::CardDavPasswordKey(before->user, before->serverUrl));
        } catch (const orvane::Error&) {
            // Without a keychain none was kept; a failing one is reported below.
        }
    }
    try {
        orvane::Keychain().Store(key, *password, orvane::CardDavPasswordLabel(line.user, line.url));
        std::cout << "the password is kept in the desktop's keychain\n";
    } catch (const orvane::Error& e) {
        // Still set up: each sync is then given the password.
        std::cout << "the password was not kept (" << e.Description()
                  << "); give it to each sync with --password-stdin or --password-file\n";
    }
    return 0;
}

int Sync(const SyncCommandLine& line) {
    orvane::sync::SyncOptions options;
    options.database = line.database;
    options.dryRun = line.dryRun;
    options.forceDelete = line.forceDelete;
    options.retryRefused = line.retryRefused;
    if (std::optional<std::string> given = GivenPassword(line)) {
        options.password = std::move(*given);
    } else {
        const auto status = SyncAccountService(line.database).Status();
        if (!status)
            return Report(Found(Kind::NoAccount, "No sync account is set up; run 'orvane-transfer sync setup' first."));
        std::optional<std::string> kept;
        try {
            kept = orvane::Keychain().Read(orvane::CardDavPasswordKey(status->user, status->serverUrl));
        } catch (const orvane::Error&) {
            SyncFailure failure = orvane::sync::SyncFailureOf();
            if (failure.kind != Kind::NoKeychain) throw;
            // A person at a terminal is asked; a script is told what to give.
            if (!orvane::StandardInputIsTerminal()) {
                failure.message += " Give the password with --password-stdin or --password-file.";
                return Report(failure);
            }
            kept = PasswordFromStandardInput(status->user);
        }
        if (!kept)
            return Report(Found(Kind::KeychainFailed,
                                "The keychain holds no password for " + status->user +
                                    "; give it with --password-stdin or --password-file, or set the account up "
                                    "again."));
        options.password = std::move(*kept);
    }
    const orvane::sync::SyncResult result = orvane::sync::SyncRun(options).Run();
    for (const std::string& step : result.planned) std::cout << "would " << step << '\n';
    std::cout << (line.dryRun ? "dry run: " : "") << result.SummaryLine() << '\n';
    for (const orvane::sync::RefusedCard& refused : result.refused)
        std::cout << "refused: " << refused.Text()
                  << (refused.earlier ? ", refused before; sent again once it changes, or with --retry-refused" : "")
                  << '\n';
    for (const std::string& problem : result.problems) std::cerr << problem << '\n';
    if (result.stoppedForSafety) return kSafetyStop;
    // A refusal is no success, whatever else was done.
    if (!result.refused.empty()) return kRefused;
    if (result.conflictsHeld > 0) return kConflictsHeld;
    return 0;
}

int Status(const SyncCommandLine& line) {
    const auto status = SyncAccountService(line.database).Status();
    if (!status) {
        std::cout << "no sync account is set up\n";
        return 0;
    }
    std::cout << "account: " << status->user << " at " << status->serverUrl << '\n'
              << "address book: " << status->addressBookUrl << '\n'
              << "last sync: " << status->lastSync.value_or("never") << '\n'
              << "local changes waiting: " << status->localChangesWaiting << '\n'
              << "conflicts held: " << status->conflictsHeld << '\n';
    if (!status->refused.empty()) {
        std::cout << "refused by the server: " << status->refused.size() << '\n';
        for (const std::string& refused : status->refused) std::cout << "  " << refused << '\n';
    }
    return 0;
}

// A value on one line: a note's line breaks as "\n".
std::string OneLine(const std::string& value) {
    std::string line;
    for (const char c : value) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    return line;
}

int Conflicts(const SyncCommandLine& line) {
    const auto conflicts = SyncAccountService(line.database).Conflicts();
    for (const HeldConflict& conflict : conflicts)
        std::cout << conflict.addressId << '\t' << orvane::sync::ConflictName(conflict) << "\tours: "
                  << OneLine(conflict.localValue) << "\tserver: " << OneLine(conflict.serverValue) << '\n';
    if (conflicts.empty()) std::cout << "no conflicts held\n";
    return 0;
}

int Resolve(const SyncCommandLine& line) {
    const auto take = line.takeLocal ? orvane::sync::Side::Local : orvane::sync::Side::Server;
    const std::size_t fields = SyncAccountService(line.database).Resolve(line.addressId, take);
    std::cout << "address " << line.addressId << ": " << fields << (fields == 1 ? " field" : " fields") << " taken from "
              << (line.takeLocal ? "here; sent on the next sync" : "the server") << '\n';
    return 0;
}

int Forget(const SyncCommandLine& line) {
    const auto dropped = SyncAccountService(line.database).Forget();
    if (!dropped) {
        std::cout << "no sync account was set up\n";
        return 0;
    }
    std::cout << "the sync account of " << dropped->first << " is forgotten; every address stays\n";
    try {
        orvane::Keychain().Remove(orvane::CardDavPasswordKey(dropped->first, dropped->second));
    } catch (const orvane::Error&) {
        // Without a keychain no password was kept in one; a failing one is told of.
        const SyncFailure failure = orvane::sync::SyncFailureOf();
        if (failure.kind != Kind::NoKeychain)
            std::cerr << "the password could not be removed from the keychain: " << failure.message << '\n';
    }
    return 0;
}

}  // namespace

int RunSyncCommand(const SyncCommandLine& line) {
    try {
        switch (line.action) {
            case SyncCommandLine::Action::Setup: return Setup(line);
            case SyncCommandLine::Action::Sync: return Sync(line);
            case SyncCommandLine::Action::Status: return Status(line);
            case SyncCommandLine::Action::Conflicts: return Conflicts(line);
            case SyncCommandLine::Action::Resolve: return Resolve(line);
            case SyncCommandLine::Action::Forget: return Forget(line);
        }
    } catch (const orvane::Error&) {
        return Report(orvane::sync::SyncFailureOf());
    }
    return kFailed;
}
