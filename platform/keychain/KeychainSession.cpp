#include "keychain/KeychainSession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QStringList>
#include <QThread>

#include <clocale>
#include <string>

#include "keychain/Keychain.h"

namespace orvane::keychain_session {

namespace {

// The names under which a keychain answers on the session bus: the Secret
// Service itself, and KWallet, which Qt's keychain library also speaks to.
const char* const kKeychainServices[] = {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5",
                                         "org.kde.kwalletd"};

QCoreApplication& MakeApplication() {
    // Qt keeps references to argc and argv for the application's lifetime.
    static int argc = 1;
    static char name[] = "orvane";
    static char* argv[] = {name, nullptr};
    // Making the application sets the C locale from the environment; a
    // command-line program that did not ask for that keeps the locale it had.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    static QCoreApplication application(argc, argv);
    std::setlocale(LC_ALL, locale.c_str());
    return application;
}

}  // namespace

void EnsureApplication() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) application = &MakeApplication();
    if (QThread::currentThread() != application->thread())
        throw Error(keychain::errnum::Failed, "The keychain can only be used from the program's main thread.");
}

void RequireKeychainService() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        throw NoKeychainError("No keychain is available: this session has no D-Bus session bus (" +
                              bus.lastError().message().toStdString() + ").");
    }
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) throw NoKeychainError("No keychain is available: the session bus does not answer.");
    const QStringList startable = daemon->activatableServiceNames().value();
    for (const char* name : kKeychainServices) {
        if (daemon->isServiceRegistered(QString::fromLatin1(name)).value() || startable.contains(QLatin1String(name)))
            return;
    }
    throw NoKeychainError(
        "No keychain is available: nothing on the session bus serves passwords "
        "(start GNOME Keyring, KeePassXC or KWallet).");
}

}  // namespace orvane::keychain_session
