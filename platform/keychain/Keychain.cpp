#include "keychain/Keychain.h"

#include <QCoreApplication>
#include <QEventLoop>
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
        throw Error(keychainerr::Failed, "The keychain did not answer within " +
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
        throw Error(keychainerr::Failed, what + ": access was denied (" + result.errorText.toStdString() + ").");
    default:
        throw Error(keychainerr::Failed, what + ": " + result.errorText.toStdString());
    }
}

// The keychain keeps passwords as text, which the Secret Service passes on
// as a C string: the password must be UTF-8 without NUL characters.
void RequireStorable(const std::string& password) {
    if (password.empty()) throw Error(keychainerr::NotStorable, "An empty password is not stored in the keychain.");
    if (password.find('\0') != std::string::npos)
        throw Error(keychainerr::NotStorable, "The password holds a NUL character, which the keychain cannot store.");
    const QByteArray bytes = QByteArray::fromStdString(password);
    if (QString::fromUtf8(bytes).toUtf8() != bytes)
        throw Error(keychainerr::NotStorable, "The password is not UTF-8 text, which the keychain needs.");
}

}  // namespace

Keychain::Keychain(std::string service) : service_(std::move(service)) {}
Keychain::~Keychain() = default;

void Keychain::Store(const std::string& key, const std::string& password) {
    RequireStorable(password);
    const JobResult result = Run<QKeychain::WritePasswordJob>(
        service_, key, [&password](QKeychain::WritePasswordJob& job) { job.setTextData(QString::fromStdString(password)); });
    if (result.error != QKeychain::NoError) Fail("store", key, result);
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

}  // namespace orvane
