#include "Application.h"

#include <QApplication>

#include "Form.h"
#include "detail/Accessibility.h"
#include "detail/FirstPaint.h"
#include "detail/Runtime.h"
#include "detail/Widgets.h"

namespace orvane::toolkit {
namespace {

struct ProgramState {
    std::string title;
    bool ended = false;
    bool looping = false;  // inside Run's event loop
};

ProgramState& State() {
    static ProgramState state;
    return state;
}

}  // namespace

struct Application::Impl {
    std::unique_ptr<QApplication> app;
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
    // The base name of the installed desktop entry: on Wayland the
    // application id, by which docks and task bars find its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORVANE_APP_ID));
    impl_->app = std::make_unique<QApplication>(argc, argv);
    // The program ends when its last window is unloaded, not when the last
    // visible window (perhaps a message box) closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // Message boxes use it too; the windows carry it themselves.
    QApplication::setFont(detail::UserInterfaceFont());
    detail::InstallAccessibility();
}

Application::~Application() {
    Forms::DestroyAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace detail {

void WindowLoaded() { State().ended = false; }

void LastWindowUnloaded() {
    State().ended = true;
    // Only a running loop is told to end: told without one, Qt would end
    // every later event loop at once, a message box's too.
    if (State().looping) QCoreApplication::exit(0);
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
    State().looping = true;
    const int status = QApplication::exec();
    State().looping = false;
    return status;
}

bool Ended() { return State().ended; }

}  // namespace Program
}  // namespace orvane::toolkit
