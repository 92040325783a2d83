#pragma once

#include <atomic>
#include <memory>

#include "common/output.h"
#include "common/serving_mutex.h"
#include "common/value.h"
#include "common/waiter.h"
#include "update/firmware_image.h"
#include "update/periodic_timer.h"

namespace korv {

// The update exchange: sends the built-in firmware image to the device's boot loader in
// 256-byte blocks, judges each reply against the running CRC-16, and ends with "PUSK".
class TClassMultiElementEx_2078BB0 {
public:
    static constexpr std::chrono::milliseconds kTickInterval{1000};
    static constexpr int kSilentTicksForFailure = 3;
    static constexpr int kSilenceCounterWrap = 100;  // the step after 100 gives 0
    static constexpr int kBlockCounterWrap = 507;    // the step after 507 gives 0

    // waiter: how the threads entering here wait for one another (the window's, in the
    // program). timers: makes the silence timer; the default ticks every second on its thread.
    explicit TClassMultiElementEx_2078BB0(Waiter& waiter,
                                          TimerFactory timers = defaultTimers(),
                                          FirmwareImage image = FirmwareImage::builtIn());
    TClassMultiElementEx_2078BB0(const TClassMultiElementEx_2078BB0&) = delete;
    TClassMultiElementEx_2078BB0& operator=(const TClassMultiElementEx_2078BB0&) = delete;

    // Window thread: sends one block and starts the silence timer.
    void start();
    // Reader thread: judges one chunk as a whole reply.
    void received(const Value& chunk);
    // Timer thread: one silence tick.
    void tick();

    Output onSend;      // one image byte, or "PUSK"
    Output onProgress;  // the block counter after a confirmed block
    Output onChecksum;  // the new running checksum after each image byte
    Output onDone;      // the final reply, as hexadecimal text
    Output onFailed;    // the unexpected reply as hexadecimal text, or the integer 3 for silence
    Output onEcho;      // every chunk, after it has been judged
    ValueSource runningChecksum;  // the running checksum text the host keeps

    static TimerFactory defaultTimers();

private:
    void sendBlock();

    // One lock keeps start (window thread), received (reader thread) and tick (timer thread)
    // apart, held over the whole of each, outputs included: a reply is therefore judged only
    // after the checksum of the last byte of its block has been computed. The outputs may wait
    // for the window thread while it is held; the window thread itself waits for this lock
    // through the waiter, which keeps carrying out those calls meanwhile, so neither blocks the
    // other. The tick guard is taken before the lock, so a tick that comes while an earlier one
    // is still waiting or running is dropped.
    ServingMutex lock_;
    std::atomic<bool> tickGuard_{false};

    FirmwareImage image_;
    int blockCounter_ = 0;
    int silenceCounter_ = 0;
    Bytes expectedBlockReply_ = "SZ";
    Bytes expectedFinalReply_ = "FZ";
    std::unique_ptr<PeriodicTimer> timer_;  // last: its thread stops before the state above goes
};

}  // namespace korv
