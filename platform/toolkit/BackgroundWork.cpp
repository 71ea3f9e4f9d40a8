#include "BackgroundWork.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <thread>

#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {

// The progress dialog: closes only when the work has returned, so the
// close box and Escape ask the work to stop like the Cancel button.
class ProgressDialog : public QDialog, public WorkProgress {
public:
    ProgressDialog(const std::string& title, QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("orvaneProgress"));
        setWindowTitle(QString::fromStdString(title));
        setWindowModality(Qt::WindowModal);
        label_ = new QLabel(QStringLiteral("Starting…"), this);
        label_->setObjectName(QStringLiteral("progressText"));
        label_->setTextFormat(Qt::PlainText);
        label_->setMinimumWidth(320);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 0);
        cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
        connect(cancel_, &QPushButton::clicked, this, [this] { AskToStop(); });
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(cancel_);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        layout->addLayout(buttons);
    }

    // From the worker thread: shown once the user-interface thread gets to it.
    void Report(std::size_t done, std::size_t total, const std::string& what) override {
        QMetaObject::invokeMethod(
            this,
            [this, done, total, text = QString::fromStdString(what)] {
                if (CancelRequested()) return;
                bar_->setRange(0, static_cast<int>(total));
                bar_->setValue(static_cast<int>(done));
                label_->setText(text);
            },
            Qt::QueuedConnection);
    }

    void Finish() {
        finished_ = true;
        accept();
    }

    void reject() override {
        if (finished_) QDialog::reject();
        else AskToStop();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (finished_) return QDialog::closeEvent(event);
        event->ignore();
        AskToStop();
    }

private:
    void AskToStop() {
        RequestCancel();
        cancel_->setEnabled(false);
        label_->setText(QStringLiteral("Stopping…"));
    }

    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool finished_ = false;
};

}  // namespace

void RunWithProgress(const std::string& title, const Work& work) {
    ProgressDialog dialog(title, QApplication::activeWindow());
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(dialog);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&dialog, [&dialog] { dialog.Finish(); }, Qt::QueuedConnection);
    });
    {
        detail::ModalScope modal;
        dialog.exec();
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

namespace {
// Hands each report to the user-interface thread, where receiver lives.
class BackgroundProgress : public WorkProgress {
public:
    BackgroundProgress(QObject& receiver, BackgroundWork::ReportHandler report)
        : receiver_(receiver), report_(std::move(report)) {}
    void Report(std::size_t done, std::size_t total, const std::string& what) override {
        if (!report_) return;
        QMetaObject::invokeMethod(
            &receiver_, [report = report_, done, total, what] { Events::Raise([&] { report(done, total, what); }); }, Qt::QueuedConnection);
    }

private:
    QObject& receiver_;
    BackgroundWork::ReportHandler report_;
};
}  // namespace

struct BackgroundWork::Impl {
    QObject receiver;  // lives on the user-interface thread
    std::thread worker;
    std::unique_ptr<BackgroundProgress> progress;
    bool running = false;
};

BackgroundWork::BackgroundWork() : impl_(std::make_unique<Impl>()) {}

BackgroundWork::~BackgroundWork() {
    if (impl_->worker.joinable()) {
        impl_->progress->RequestCancel();
        impl_->worker.join();
    }
}

bool BackgroundWork::Start(Work work, EventHandler finished, ReportHandler report) {
    if (impl_->running) return false;
    if (impl_->worker.joinable()) impl_->worker.join();
    impl_->running = true;
    impl_->progress = std::make_unique<BackgroundProgress>(impl_->receiver, std::move(report));
    Impl* impl = impl_.get();
    impl_->worker = std::thread([impl, work = std::move(work), finished = std::move(finished)] {
        try {
            work(*impl->progress);
        } catch (...) {
            // The work reports its own failures; nothing may escape a thread.
        }
        QMetaObject::invokeMethod(
            &impl->receiver,
            [impl, finished] {
                impl->worker.join();
                impl->running = false;
                Events::Raise(finished);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool BackgroundWork::Running() const { return impl_->running; }

void BackgroundWork::Cancel() {
    if (impl_->progress) impl_->progress->RequestCancel();
}

}  // namespace orvane::toolkit
