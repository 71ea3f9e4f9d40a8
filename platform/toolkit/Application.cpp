#include "Application.h"

#include <QApplication>
#include <QFont>

#include "Form.h"
#include "detail/FirstPaint.h"
#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {

struct ProgramState {
    std::string title;
    bool ended = false;
};

ProgramState& State() {
    static ProgramState state;
    return state;
}

// The windows' twip geometry was laid out for a small sans-serif face of
// about 8 points at 96 dpi; Nimbus Sans (metrics of Helvetica) is close to
// it, DejaVu Sans is the fallback.
QFont UserInterfaceFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    return font;
}

}  // namespace

struct Application::Impl {
    std::unique_ptr<QApplication> app;
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
    impl_->app = std::make_unique<QApplication>(argc, argv);
    // The program ends when its last window is unloaded, not when the last
    // visible window (perhaps a message box) closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(UserInterfaceFont());
}

Application::~Application() {
    Forms::DestroyAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace detail {

void WindowLoaded() { State().ended = false; }

void LastWindowUnloaded() {
    State().ended = true;
    QCoreApplication::exit(0);
}

}  // namespace detail

namespace Program {

void Title(std::string NewTitle) { State().title = std::move(NewTitle); }

std::string Title() {
    if (!State().title.empty()) return State().title;
    return QCoreApplication::applicationName().toStdString();
}

bool Start(const std::function<Form&()>& startForm) {
    return detail::RunGuarded([&] { startForm().Show(); });
}

int Run(const std::function<Form&()>& startForm) {
    detail::ExitAfterFirstPaintIfAsked();
    if (!Start(startForm)) return 1;
    if (Forms::LoadedCount() == 0) return 0;
    return QApplication::exec();
}

bool Ended() { return State().ended; }

}  // namespace Program
}  // namespace orvane::toolkit
