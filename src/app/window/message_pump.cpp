#include "app/window/message_pump.h"

namespace tsl {

MessagePump::MessagePump(std::chrono::milliseconds interval) : interval_(interval)
{
    sinceLastDispatch_.start();
}

void MessagePump::setInterval(std::chrono::milliseconds interval)
{
    interval_ = interval;
}

bool MessagePump::due()
{
    if (interval_.count() <= 0)
        return true;
    if (++calls_ % callsPerClockRead != 0)
        return false;
    if (sinceLastDispatch_.elapsed() < interval_.count())
        return false;
    sinceLastDispatch_.restart();
    return true;
}

} // namespace tsl
