#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "common/value.h"

namespace korv {

// What a scripted user saw of one run of the program.
struct ScriptedRun {
    using Clock = std::chrono::steady_clock;
    bool success = false;  // the end screen with the success text
    bool error = false;    // the end screen with both error lines and the error picture
    bool endScreenComplete = false;  // every control but OK and the message hidden
    Bytes status;          // the status field when the user stopped looking at it
    std::optional<Clock::time_point> windowShownAt;
    std::optional<Clock::time_point> writeClickedAt;
    std::optional<Clock::time_point> successShownAt;
    std::optional<Clock::time_point> errorShownAt;
    bool timedOut = false;
    int exitCode = -1;
};

struct ScriptedUserOptions {
    bool pressWrite = true;              // false: only pick the port and read the status
    std::chrono::seconds limit{180};     // the run is given up after this
    std::string screenshotPath;          // the window as the end screen showed it, if given
};

// Runs the whole program (the main form with the Qt window) in this process, on the Qt
// application that exists, and drives it through its window as a user would: picks `port` in
// the port list with the mouse, presses "Записать" once the device is identified, and presses
// "OK" when the end screen is complete. The port must be in the list, for example through
// KORVANDELIX_EXTRA_PORTS.
ScriptedRun runAsScriptedUser(const std::string& port, const ScriptedUserOptions& options = {});

}  // namespace korv
