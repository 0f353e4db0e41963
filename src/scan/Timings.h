#pragma once

#include <chrono>

namespace testloop {

// Every wait of the program in one place. Production runs on these values; tests pass
// milliseconds so a full pass over a loop takes well under a second.
struct Timings
{
    std::chrono::milliseconds requestPause {500}; // before every scan or test request
    std::chrono::milliseconds firstReplyTimeout {5000}; // the first test request of a start
    std::chrono::milliseconds replyTimeout {10000}; // every request sent after a pause
    std::chrono::milliseconds downloadResend {2000};
    std::chrono::milliseconds downloadStartWait {2000};
    std::chrono::milliseconds splashTick {1000};
    std::chrono::milliseconds blinkTick {1000};
    std::chrono::milliseconds deviceCheck {1000}; // looking for a device that went away
    std::chrono::milliseconds autosave {60000}; // saving the session while a scan runs
};

} // namespace testloop
