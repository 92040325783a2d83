#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace devsim {

enum class MarkerCase { Upper, Lower, Mixed };

// Faults the simulator plays on request; block numbers count from 1.
struct Faults {
    std::optional<int> wrongChecksumAt;
    std::optional<int> silentFrom;
    std::optional<int> splitReplyAt;
    std::chrono::milliseconds splitPause{5};
    std::optional<int> garbageAfterReplyAt;
    bool noVersAnswer = false;
    bool garbageVersAnswer = false;
    std::optional<int> unplugAt;
    bool repeatFinalReply = false;
    std::optional<int> slowReplyAt;
    std::chrono::milliseconds slowReplyDelay{2500};
};

struct Options {
    std::string name = "DEV2";
    std::string version = "1.8";
    bool crlf = false;
    MarkerCase markerCase = MarkerCase::Upper;
    std::size_t imageSize = 130048;
    std::string linkPath;
    std::string reportPath;
    std::string expectPath;
    bool exitAfterPusk = false;
    bool lineRate = false;
    std::chrono::microseconds turnaround{0};
    Faults faults;
    std::optional<std::uint64_t> seed;  // with --random-fault: which fault, at which block
    bool randomFault = false;
    std::string randomFaultName;  // what --random-fault chose, for the report
};

// Parses the command line; on a mistake returns nothing and writes why into error.
std::optional<Options> parseOptions(int argc, char** argv, std::string& error);

// Replaces --random-fault by one concrete fault drawn from the seed.
void chooseRandomFault(Options& options);

extern const char* const kUsage;

}  // namespace devsim
