#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

// What the simulator saw, written as JSON at exit. Times are seconds since it started.
struct Report {
    double clockOrigin = 0;  // the steady clock (CLOCK_MONOTONIC) at start, in seconds
    std::size_t imageSize = 0;
    std::size_t bytesReceived = 0;  // image bytes taken
    int blocksAnswered = 0;
    int versQueries = 0;
    std::size_t bytesBeforeVers = 0;
    std::size_t bytesAfterImage = 0;  // beyond the image, "PUSK" not counted
    bool shortLastBlock = false;      // the image stopped inside a block
    bool puskSeen = false;
    int puskCount = 0;
    std::optional<bool> imageMatches;  // against --expect
    std::optional<double> firstImageByteAt;
    std::optional<double> lastImageByteAt;
    std::optional<double> puskAt;
    std::vector<double> turnaroundsUs;  // block reply written -> first byte of the next block
    std::string fault;                  // the fault --random-fault chose
    bool unplugged = false;

    bool success() const;
    std::string toJson() const;
};

}  // namespace devsim
