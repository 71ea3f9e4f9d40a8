#include "Timer.h"

#include <QTimer>

namespace orvane::toolkit {

struct Timer::Impl {
    QTimer timer;
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        // A copy: the handler may replace Tick.
        const EventHandler handler = Tick;
        Events::Raise(handler);
    });
}

Timer::~Timer() = default;

void Timer::Start(std::int32_t intervalMs) { impl_->timer.start(intervalMs); }
void Timer::Stop() { impl_->timer.stop(); }
bool Timer::Active() const { return impl_->timer.isActive(); }

}  // namespace orvane::toolkit
