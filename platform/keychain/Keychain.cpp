#include "keychain/Keychain.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QMap>
#include <QString>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <chrono>

#include "keychain/KeychainSession.h"

namespace orvane {

namespace {

// Long enough for the user to answer the keychain's own unlock prompt; a
// keychain that has not answered by then is reported rather than waited on.
constexpr std::chrono::minutes kAnswerLimit{2};

struct JobResult {
    bool finished = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QString text;  // a read job's password
};

// Runs a job in a local event loop until it finishes. The job belongs to the
// application object and deletes itself once finished, so a job given up on
// after the limit can still finish safely later.
template <typename Job, typename Prepare>
JobResult Run(const std::string& service, const std::string& key, Prepare prepare) {
    keychain_session::EnsureApplication();
    keychain_session::RequireKeychainService();

    auto* job = new Job(QString::fromStdString(service), QCoreApplication::instance());
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(QString::fromStdString(key));
    prepare(*job);

    JobResult result;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&result, &loop](QKeychain::Job* done) {
        result.finished = true;
        result.error = done->error();
        result.errorText = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done)) result.text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(kAnswerLimit, &loop, &QEventLoop::quit);
    job->start();
    if (!result.finished) loop.exec();
    if (!result.finished) {
        throw Error(keychain::errnum::Failed, "The keychain did not answer within " +
                                             std::to_string(kAnswerLimit.count()) + " minutes.");
    }
    return result;
}

// The failure of a job as an error naming what was done and for which key;
// the keychain's own text never holds the password.
[[noreturn]] void Fail(const char* action, const std::string& key, const JobResult& result) {
    const std::string what = std::string("Could not ") + action + " the password for " + key + " in the keychain";
    switch (result.error) {
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        throw NoKeychainError("No keychain is available: " + result.errorText.toStdString());
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        throw Error(keychain::errnum::Failed, what + ": access was denied (" + result.errorText.toStdString() + ").");
    default:
        throw Error(keychain::errnum::Failed, what + ": " + result.errorText.toStdString());
    }
}

// The keychain keeps passwords as text, which the Secret Service passes on
// as a C string: the password must be UTF-8 without NUL characters.
void RequireStorable(const std::string& password) {
    if (password.empty())
        throw Error(keychain::errnum::NotStorable, "An empty password is not stored in the keychain.");
    if (password.find('\0') != std::string::npos)
        throw Error(keychain::errnum::NotStorable,
                    "The password holds a NUL character, which the keychain cannot store.");
    const QByteArray bytes = QByteArray::fromStdString(password);
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        throw Error(keychain::errnum::NotStorable, "The password is not UTF-8 text, which the keychain needs.");
}

// Qt's keychain library labels every entry with the service name alone; on
// a Secret Service keychain the entry it wrote (found by the attributes the
// library gives it) is labelled for a person instead. Only a label: when
// the keychain cannot be asked, the entry keeps the service name.
void Label(const std::string& service, const std::string& key, const std::string& label) {
    using Attributes = QMap<QString, QString>;
    qDBusRegisterMetaType<Attributes>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString secrets = QStringLiteral("org.freedesktop.secrets");
    QDBusMessage search = QDBusMessage::createMethodCall(secrets, QStringLiteral("/org/freedesktop/secrets"),
                                                         QStringLiteral("org.freedesktop.Secret.Service"),
                                                         QStringLiteral("SearchItems"));
    const Attributes attributes{{QStringLiteral("user"), QString::fromStdString(key)},
                                {QStringLiteral("server"), QString::fromStdString(service)}};
    search << QVariant::fromValue(attributes);
    const QDBusMessage found = bus.call(search);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().isEmpty()) return;
    const auto items = qdbus_cast<QList<QDBusObjectPath>>(found.arguments().at(0));
    for (const QDBusObjectPath& item : items) {
        QDBusMessage set = QDBusMessage::createMethodCall(secrets, item.path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Set"));
        set << QStringLiteral("org.freedesktop.Secret.Item") << QStringLiteral("Label")
            << QVariant::fromValue(QDBusVariant(QString::fromStdString(label)));
        bus.call(set);
    }
}

// The host of a URL: between "://" (and any user part) and the port or path.
std::string HostOf(const std::string& url) {
    std::string rest = url;
    if (const auto scheme = rest.find("://"); scheme != std::string::npos) rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = rest.rfind('@'); at != std::string::npos) rest = rest.substr(at + 1);
    if (!rest.empty() && rest.front() == '[') return rest.substr(0, rest.find(']') + 1);
    return rest.substr(0, rest.find(':'));
}

}  // namespace

Keychain::Keychain(std::string service) : service_(std::move(service)) {}
Keychain::~Keychain() = default;

void Keychain::Store(const std::string& key, const std::string& password, const std::string& label) {
    RequireStorable(password);
    const JobResult result = Run<QKeychain::WritePasswordJob>(
        service_, key, [&password](QKeychain::WritePasswordJob& job) { job.setTextData(QString::fromStdString(password)); });
    if (result.error != QKeychain::NoError) Fail("store", key, result);
    if (!label.empty()) Label(service_, key, label);
}

std::optional<std::string> Keychain::Read(const std::string& key) {
    const JobResult result = Run<QKeychain::ReadPasswordJob>(service_, key, [](QKeychain::ReadPasswordJob&) {});
    if (result.error == QKeychain::EntryNotFound) return std::nullopt;
    if (result.error != QKeychain::NoError) Fail("read", key, result);
    return result.text.toStdString();
}

void Keychain::Remove(const std::string& key) {
    const JobResult result = Run<QKeychain::DeletePasswordJob>(service_, key, [](QKeychain::DeletePasswordJob&) {});
    if (result.error != QKeychain::NoError && result.error != QKeychain::EntryNotFound) Fail("remove", key, result);
}

std::string CardDavPasswordKey(const std::string& user, const std::string& url) {
    return "carddav:" + user + "@" + url;
}

std::string CardDavPasswordLabel(const std::string& user, const std::string& url) {
    return "Orvane: " + user + " at " + HostOf(url);
}

}  // namespace orvane
