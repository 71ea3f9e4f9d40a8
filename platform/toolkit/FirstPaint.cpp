#include "detail/FirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvane::toolkit::detail {
namespace {

// Created when the variable is read, which main does first thing.
const auto kMainStarted = std::chrono::steady_clock::now();

// Waits for the first paint of a top-level window. The window paints itself
// before its children in the same pass, so the report is queued to run
// once that pass (children and the flush to the screen) is over.
class FirstPaintWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            seen_ = true;
            QMetaObject::invokeMethod(this, &FirstPaintWatcher::Report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Report() {
        const auto now = std::chrono::steady_clock::now();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
        const double ms = std::chrono::duration<double, std::milli>(now - kMainStarted).count();
        std::printf("orvane first-paint monotonic-ns=%lld main-ms=%.1f\n", static_cast<long long>(ns), ms);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    bool seen_ = false;
};

}  // namespace

void ExitAfterFirstPaintIfAsked() {
    const char* asked = std::getenv("ORVANE_EXIT_AFTER_FIRST_PAINT");
    if (!asked || std::strcmp(asked, "1") != 0) return;
    auto* watcher = new FirstPaintWatcher(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watcher);
}

}  // namespace orvane::toolkit::detail
