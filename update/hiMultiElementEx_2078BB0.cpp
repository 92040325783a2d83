#include "update/hiMultiElementEx_2078BB0.h"

#include <mutex>

#include "update/crc16.h"
#include "update/hex_text.h"
#include "update/thread_timer.h"

namespace korv {

namespace {
constexpr std::string_view kFinalCommand = "PUSK";
constexpr std::string_view kCompleteMarkHex = "465A";  // "FZ"
}  // namespace

TClassMultiElementEx_2078BB0::TClassMultiElementEx_2078BB0(Waiter& waiter, TimerFactory timers,
                                                           FirmwareImage image)
    : lock_(waiter), image_(std::move(image)), timer_(timers([this] { tick(); })) {}

TimerFactory TClassMultiElementEx_2078BB0::defaultTimers() {
    return ThreadTimer::factory(kTickInterval);
}

void TClassMultiElementEx_2078BB0::sendBlock() {
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const std::uint8_t byte = image_.next();
        onSend(Value::text(Bytes(1, static_cast<char>(byte))));
        Bytes checksum = crc16::step(hex::byteNoLeadingZero(byte), runningChecksum.read().text());
        onChecksum(Value::text(checksum));
        Bytes stored = runningChecksum.read().text();
        expectedFinalReply_ = stored;
        expectedFinalReply_ += kCompleteMarkHex;
        expectedBlockReply_ = std::move(checksum);
    }
}

void TClassMultiElementEx_2078BB0::start() {
    std::lock_guard lock(lock_);
    sendBlock();
    timer_->start();
}

void TClassMultiElementEx_2078BB0::received(const Value& chunk) {
    std::lock_guard lock(lock_);
    const Bytes reply = hex::ofBytes(chunk.text());
    if (hex::sameText(reply, expectedFinalReply_)) {
        onSend(Value::text(kFinalCommand));
        onDone(Value::text(reply));
        timer_->stop();
    } else if (hex::sameText(reply, expectedBlockReply_)) {
        blockCounter_ = blockCounter_ == kBlockCounterWrap ? 0 : blockCounter_ + 1;
        onProgress(Value(blockCounter_));
        sendBlock();
    } else {
        onFailed(Value::text(reply));
    }
    onEcho(chunk);
    silenceCounter_ = 0;
}

void TClassMultiElementEx_2078BB0::tick() {
    if (tickGuard_.exchange(true)) return;
    {
        std::lock_guard lock(lock_);
        silenceCounter_ = silenceCounter_ == kSilenceCounterWrap ? 0 : silenceCounter_ + 1;
        if (silenceCounter_ == kSilentTicksForFailure) onFailed(Value(kSilentTicksForFailure));
    }
    tickGuard_.store(false);
}

}  // namespace korv
