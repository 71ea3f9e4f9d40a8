#include "ProgressWindow.h"

#include <QCloseEvent>
#include <algorithm>
#include <functional>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orvane::toolkit {
namespace {

// A dialog only in its looks: modeless, and its close box, Escape and
// button all go through Button().
class Window : public QDialog {
public:
    std::function<void()> button;

    void reject() override {
        if (button) button();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (button) button();
    }
};

}  // namespace

struct ProgressWindow::Impl {
    Window window;
    QLabel* text = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* button = nullptr;
    QTimer autoClose;
    bool finished = false;
};

ProgressWindow::ProgressWindow(const std::string& title, const std::string& barName)
    : impl_(std::make_unique<Impl>()) {
    Window& window = impl_->window;
    window.setObjectName(QStringLiteral("orvaneProgressWindow"));
    window.setWindowTitle(QString::fromStdString(title));
    window.setModal(false);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    impl_->text = new QLabel(QStringLiteral("…"), &window);
    impl_->text->setObjectName(QStringLiteral("progressText"));
    impl_->text->setTextFormat(Qt::PlainText);
    impl_->text->setWordWrap(true);
    impl_->text->setMinimumWidth(340);
    impl_->bar = new QProgressBar(&window);
    impl_->bar->setAccessibleName(QString::fromStdString(barName));
    impl_->bar->setRange(0, 0);
    impl_->button = new QPushButton(QStringLiteral("Cancel"), &window);
    impl_->button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(impl_->button);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(impl_->text);
    layout->addWidget(impl_->bar);
    layout->addLayout(buttons);

    window.button = [this] {
        if (impl_->finished) Close();
        else if (CancelRequested) {
            impl_->button->setEnabled(false);
            Events::Raise(CancelRequested);
        }
    };
    QObject::connect(impl_->button, &QPushButton::clicked, &window, [&window] { window.button(); });
    impl_->autoClose.setSingleShot(true);
    QObject::connect(&impl_->autoClose, &QTimer::timeout, &window, [this] {
        // The pointer on it (someone about to click) keeps it open.
        if (impl_->window.underMouse()) return;
        Close();
    });
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::Show() {
    impl_->window.show();
    impl_->window.raise();
}

bool ProgressWindow::Visible() const { return impl_->window.isVisible(); }

void ProgressWindow::Close() {
    impl_->autoClose.stop();
    if (!impl_->window.isVisible()) return;
    impl_->window.hide();
    if (Closed) Events::Raise(Closed);
}

void ProgressWindow::Text(const std::string& NewText) { impl_->text->setText(QString::fromStdString(NewText)); }

std::string ProgressWindow::Text() const { return impl_->text->text().toStdString(); }

void ProgressWindow::Progress(std::size_t done, std::size_t total) {
    if (total == 0) {
        impl_->bar->setRange(0, 0);
        return;
    }
    impl_->bar->setRange(0, static_cast<int>(std::min<std::size_t>(total, 1 << 30)));
    impl_->bar->setValue(static_cast<int>(std::min(done, total)));
}

void ProgressWindow::Finish(const std::string& NewText, std::int32_t closeAfterMs) {
    impl_->finished = true;
    Text(NewText);
    impl_->bar->setRange(0, 1);
    impl_->bar->setValue(1);
    impl_->button->setText(QStringLiteral("Close"));
    impl_->button->setEnabled(true);
    if (closeAfterMs > 0) impl_->autoClose.start(closeAfterMs);
}

bool ProgressWindow::Finished() const { return impl_->finished; }

}  // namespace orvane::toolkit
