#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/devsim/options.h"
#include "tools/devsim/report.h"

namespace devsim {

// One write to the updater, after a pause.
struct Write {
    std::string bytes;
    std::chrono::microseconds pauseBefore{0};
    bool isBlockReply = false;  // its writing starts the turnaround clock
};

// What the device does after taking one byte.
struct Action {
    std::vector<Write> writes;
    bool unplug = false;    // close the pty now
    bool finished = false;  // "PUSK" came and the simulator is to end
};

// The device side of the identification and the boot loader, byte by byte, with no I/O and no
// clock of its own: times are seconds since the simulator started.
class Device {
public:
    explicit Device(const Options& options);

    Action take(std::uint8_t byte, double now);
    // The last write of a block reply has gone out.
    void blockReplyWritten(double now) { lastReplyWrittenAt_ = now; }

    Report report(const std::optional<std::string>& expectedImage) const;

private:
    enum class Phase { Identify, Image, AwaitPusk };

    Action identify(std::uint8_t byte);
    Action imageByte(std::uint8_t byte, double now);
    Action blockReply(int block, bool last);
    Action afterImage(std::uint8_t byte, double now);
    std::string identificationAnswer() const;

    const Options options_;
    Phase phase_ = Phase::Identify;
    std::string tail_;  // the last bytes seen, up to 4, to spot "VERS" and "PUSK"
    std::uint16_t crc_ = 0xFFFF;
    std::string image_;
    Report report_;
    std::optional<double> lastReplyWrittenAt_;
};

}  // namespace devsim
