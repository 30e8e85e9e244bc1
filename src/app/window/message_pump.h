#pragma once

#include <QElapsedTimer>

#include <chrono>

namespace tsl {

// Decides when a long command lets the window handle its waiting events.
// The reader asks after every line. Handling events costs little when nothing
// waits, but a new log line means a repaint of about a millisecond; events are
// therefore handled at most once per interval (50 ms: quicker than a user can
// tell), and the clock itself is read only every few calls.
class MessagePump {
public:
    explicit MessagePump(std::chrono::milliseconds interval = std::chrono::milliseconds(50));

    // Zero dispatches on every call (tests use it to act between any two lines).
    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const { return interval_; }

    // True when the waiting events should be handled now.
    bool due();

private:
    static constexpr unsigned callsPerClockRead = 16;

    std::chrono::milliseconds interval_;
    QElapsedTimer sinceLastDispatch_;
    unsigned calls_ = 0;
};

} // namespace tsl
