#pragma once

#include <cstdint>
#include <memory>

#include "Events.h"

namespace orvane::toolkit {

// A repeating timer on the user-interface thread. Each tick runs Tick as an
// event handler; a tick that falls due while a handler runs waits for it.
class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Starts (or restarts) ticking every intervalMs milliseconds.
    void Start(std::int32_t intervalMs);
    void Stop();
    bool Active() const;

    EventHandler Tick;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane::toolkit
