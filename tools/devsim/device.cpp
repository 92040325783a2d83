#include "tools/devsim/device.h"

#include "tools/devsim/bitwise_crc.h"

namespace devsim {

namespace {

constexpr std::size_t kBlock = 256;

bool endsWith(const std::string& s, const char* word) {
    return s.size() >= 4 && s.compare(s.size() - 4, 4, word) == 0;
}

void remember(std::string& tail, std::uint8_t byte) {
    tail.push_back(static_cast<char>(byte));
    if (tail.size() > 4) tail.erase(0, tail.size() - 4);
}

}  // namespace

Device::Device(const Options& options) : options_(options) {
    report_.imageSize = options.imageSize;
    report_.fault = options.randomFaultName;
    image_.reserve(options.imageSize);
}

std::string Device::identificationAnswer() const {
    std::string marker = "KORVANDELIX";
    if (options_.markerCase == MarkerCase::Lower) marker = "korvandelix";
    if (options_.markerCase == MarkerCase::Mixed) marker = "KorvanDelix";
    std::string answer = marker + " " + options_.name + " " + options_.version;
    if (options_.crlf) answer += "\r\n";
    return answer;
}

Action Device::take(std::uint8_t byte, double now) {
    switch (phase_) {
        case Phase::Identify:
            return identify(byte);
        case Phase::Image:
            return imageByte(byte, now);
        case Phase::AwaitPusk:
            return afterImage(byte, now);
    }
    return {};
}

Action Device::identify(std::uint8_t byte) {
    remember(tail_, byte);
    ++report_.bytesBeforeVers;
    if (!endsWith(tail_, "VERS")) return {};
    report_.bytesBeforeVers -= 4;
    ++report_.versQueries;
    tail_.clear();
    Action action;
    if (options_.faults.noVersAnswer) return action;
    if (options_.faults.garbageVersAnswer) {
        action.writes.push_back({"\x01\xFE garbage\x7F", {}});
        return action;
    }
    action.writes.push_back({identificationAnswer(), {}});
    phase_ = Phase::Image;
    return action;
}

Action Device::imageByte(std::uint8_t byte, double now) {
    if (image_.empty()) report_.firstImageByteAt = now;
    if (image_.size() % kBlock == 0 && lastReplyWrittenAt_) {
        report_.turnaroundsUs.push_back((now - *lastReplyWrittenAt_) * 1e6);
        lastReplyWrittenAt_.reset();
    }
    image_.push_back(static_cast<char>(byte));
    crc_ = crcStep(crc_, byte);
    report_.bytesReceived = image_.size();
    report_.lastImageByteAt = now;
    const bool last = image_.size() == options_.imageSize;
    if (last) phase_ = Phase::AwaitPusk;
    if (image_.size() % kBlock != 0 && !last) return {};
    return blockReply(static_cast<int>((image_.size() + kBlock - 1) / kBlock), last);
}

Action Device::blockReply(int block, bool last) {
    const Faults& f = options_.faults;
    Action action;
    if (f.unplugAt && *f.unplugAt == block) {
        action.unplug = true;
        report_.unplugged = true;
        return action;
    }
    if (f.silentFrom && block >= *f.silentFrom) return action;

    std::uint16_t crc = crc_;
    if (f.wrongChecksumAt && *f.wrongChecksumAt == block) crc ^= 0x5A5A;
    std::string reply{static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
    if (last) reply += "FZ";
    if (f.garbageAfterReplyAt && *f.garbageAfterReplyAt == block) reply += '\xA5';

    std::chrono::microseconds pause = options_.turnaround;
    if (f.slowReplyAt && *f.slowReplyAt == block) pause += f.slowReplyDelay;
    if (f.splitReplyAt && *f.splitReplyAt == block) {
        action.writes.push_back({reply.substr(0, 1), pause});
        action.writes.push_back({reply.substr(1), f.splitPause, true});
    } else {
        action.writes.push_back({reply, pause, true});
    }
    if (last && f.repeatFinalReply) action.writes.push_back({reply, std::chrono::milliseconds(20)});
    ++report_.blocksAnswered;
    return action;
}

Action Device::afterImage(std::uint8_t byte, double now) {
    remember(tail_, byte);
    ++report_.bytesAfterImage;
    Action action;
    if (endsWith(tail_, "PUSK")) {
        report_.bytesAfterImage -= 4;
        tail_.clear();
        report_.puskSeen = true;
        ++report_.puskCount;
        if (!report_.puskAt) report_.puskAt = now;
        action.finished = options_.exitAfterPusk;
    }
    return action;
}

Report Device::report(const std::optional<std::string>& expectedImage) const {
    Report r = report_;
    r.shortLastBlock = !image_.empty() && image_.size() % kBlock != 0 && image_.size() != options_.imageSize;
    if (expectedImage) r.imageMatches = *expectedImage == image_;
    return r;
}

}  // namespace devsim
