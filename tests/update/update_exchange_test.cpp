#include "update/hiMultiElementEx_2078BB0.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/blocking_waiter.h"
#include "support/delivery_on.h"
#include "support/manual_timer.h"
#include "update/crc16.h"
#include "update/hex_text.h"

namespace korv {
namespace {

// The device side of the exchange, with its own bitwise CRC so that a table mistake shows.
struct FakeBootLoader {
    std::size_t imageSize = kImageSize;
    std::uint16_t crc = 0xFFFF;
    std::size_t received = 0;
    Bytes image;

    // Returns the reply due after this byte, if any.
    std::optional<Bytes> take(std::uint8_t byte) {
        image.push_back(static_cast<char>(byte));
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        if (++received % kBlockSize != 0) return std::nullopt;
        Bytes reply{static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
        if (received == imageSize) reply += "FZ";
        return reply;
    }
};

class UpdateExchange : public testing::DeliveryOn {
protected:
    UpdateExchange() { connect(); }

    void connect() {
        exchange.onSend.connect([this](const Value& v) {
            log.push_back("send");
            const Bytes b = v.text();
            if (b.size() != 1) {
                commands.push_back(b);
                return;
            }
            sent.push_back(b[0]);
            if (auto reply = device.take(static_cast<std::uint8_t>(b[0]))) replies.push_back(*reply);
        });
        exchange.onChecksum.connect([this](const Value& v) { checksumField = v.text(); });
        exchange.runningChecksum.connect([this] { return Value::text(checksumField); });
        exchange.onProgress.connect([this](const Value& v) {
            progress.push_back(v.integer());
            log.push_back("progress");
        });
        exchange.onDone.connect([this](const Value& v) {
            log.push_back("done:" + v.text());
            timerRunningAtDone = timers.timer->running();
        });
        exchange.onFailed.connect([this](const Value& v) {
            failures.push_back(v);
            log.push_back("failed");
        });
        exchange.onEcho.connect([this](const Value& v) { echoes.push_back(v.text()); });
    }

    // Hands the device's pending replies to the exchange, each as one chunk, until none is left.
    void deliverReplies() {
        while (!replies.empty()) {
            Bytes reply = replies.front();
            replies.erase(replies.begin());
            exchange.received(Value::text(reply));
        }
    }

    BlockingWaiter waiter;
    testing::ManualTimerFactory timers;
    TClassMultiElementEx_2078BB0 exchange{waiter, timers.factory()};
    FakeBootLoader device;
    Bytes checksumField = "FFFF";
    Bytes sent;
    std::vector<Bytes> commands;
    std::vector<Bytes> replies;
    std::vector<int> progress;
    std::vector<Value> failures;
    std::vector<Bytes> echoes;
    std::vector<std::string> log;
    bool timerRunningAtDone = false;
};

TEST_F(UpdateExchange, CompleteUploadOfTheBuiltInImage) {
    exchange.start();
    EXPECT_EQ(sent.size(), kBlockSize);
    EXPECT_TRUE(timers.timer->running());
    deliverReplies();

    auto image = builtInFirmware();
    ASSERT_EQ(sent.size(), kImageSize);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sent.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
    std::vector<int> expectedProgress(507);
    for (int i = 0; i < 507; ++i) expectedProgress[i] = i + 1;
    EXPECT_EQ(progress, expectedProgress);
    EXPECT_EQ(commands, std::vector<Bytes>{"PUSK"});
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "send");  // PUSK goes out before onDone
    EXPECT_EQ(log.back(), "done:" + hex::ofBytes(echoes.back()));
    EXPECT_EQ(echoes.back().substr(2), "FZ");
    EXPECT_TRUE(timerRunningAtDone);  // the timer stops only after onDone has returned
    EXPECT_FALSE(timers.timer->running());
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(echoes.size(), 508u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "send"), static_cast<long>(kImageSize + 1));
}

TEST_F(UpdateExchange, FirstBlockReplyIsTheModbusCrcOfItsBytes) {
    exchange.start();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(checksumField, hex::ofBytes(replies[0]));
}

TEST_F(UpdateExchange, FinalReplySplitOverTwoChunks) {
    device.imageSize = 512;
    exchange.start();
    const Bytes first = replies.at(0);
    replies.clear();
    exchange.received(Value::text(first));
    const Bytes finalReply = replies.at(0);
    replies.clear();
    ASSERT_EQ(finalReply.size(), 4u);
    // The checksum bytes alone match the block reply and start another block...
    exchange.received(Value::text(finalReply.substr(0, 2)));
    EXPECT_EQ(sent.size(), 768u);
    EXPECT_EQ(progress.back(), 2);
    // ...and "FZ" alone is a failure.
    exchange.received(Value::text("FZ"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].text(), "465A");
    EXPECT_TRUE(commands.empty());
}

TEST_F(UpdateExchange, BlockCounterWrapsAfter507AndReadsZerosBeyondTheImage) {
    device.imageSize = kImageSize + 4 * kBlockSize;  // a device that never says "FZ"
    exchange.start();
    deliverReplies();
    ASSERT_EQ(progress.size(), 508u + 3u);
    EXPECT_EQ(progress[506], 507);
    EXPECT_EQ(progress[507], 0);
    EXPECT_EQ(progress[508], 1);
    ASSERT_GE(sent.size(), kImageSize + kBlockSize);
    EXPECT_EQ(sent.substr(kImageSize, kBlockSize), Bytes(kBlockSize, '\0'));
}

TEST_F(UpdateExchange, SilenceFailsOnTheThirdTickAndAgainEvery101Ticks) {
    exchange.start();
    std::vector<int> failedAtTick;
    for (int tick = 1; tick <= 3 + 101 + 101; ++tick) {
        std::size_t before = failures.size();
        timers.timer->elapse();
        if (failures.size() != before) failedAtTick.push_back(tick);
    }
    EXPECT_EQ(failedAtTick, (std::vector<int>{3, 104, 205}));
    for (const Value& f : failures) EXPECT_EQ(f, Value(3));
}

TEST_F(UpdateExchange, AChunkClearsTheSilenceCounter) {
    exchange.start();
    timers.timer->elapse();
    timers.timer->elapse();
    deliverReplies();  // whole image, one reply per block
    exchange.start();  // a timer restarted after success
    timers.timer->elapse();
    timers.timer->elapse();
    EXPECT_TRUE(failures.empty());
    timers.timer->elapse();
    EXPECT_EQ(failures.size(), 1u);
}

TEST_F(UpdateExchange, ATickDuringAnotherTickIsDropped) {
    exchange.start();
    timers.timer->elapse();
    timers.timer->elapse();
    // The third tick fails; while its handler runs, a further tick arrives from elsewhere.
    int failuresSeenByNestedTick = -1;
    exchange.onFailed.connect([&](const Value&) {
        failures.emplace_back(3);
        std::thread other([&] { exchange.tick(); });
        other.join();
        failuresSeenByNestedTick = static_cast<int>(failures.size());
    });
    timers.timer->elapse();
    EXPECT_EQ(failuresSeenByNestedTick, 1);
    // Had the nested tick counted, the counter would come round to 3 one tick early.
    connect();
    for (int i = 0; i < 100; ++i) timers.timer->elapse();
    EXPECT_EQ(failures.size(), 1u);
    timers.timer->elapse();
    EXPECT_EQ(failures.size(), 2u);
}

TEST_F(UpdateExchange, AFailureLeavesTheStateSoACorrectReplyCarriesOn) {
    exchange.start();
    ASSERT_EQ(replies.size(), 1u);
    exchange.received(Value::text("\x01\x02"));
    exchange.received(Value::text(""));
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].text(), "0102");
    EXPECT_EQ(failures[1].text(), "");
    EXPECT_EQ(sent.size(), kBlockSize);  // nothing more was sent
    deliverReplies();
    EXPECT_EQ(sent.size(), kImageSize);
    EXPECT_EQ(commands, std::vector<Bytes>{"PUSK"});
}

TEST_F(UpdateExchange, IdleExchangeJudgesEveryChunkAFailureAndRunsNoTimer) {
    for (const char* chunk : {"", "SZ", "FZ", "KORVANDELIX X Y"}) exchange.received(Value::text(chunk));
    EXPECT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[1].text(), "535A");
    EXPECT_FALSE(timers.timer->running());
    EXPECT_TRUE(sent.empty());
}

TEST_F(UpdateExchange, RepeatedFinalReplySendsPuskAgain) {
    device.imageSize = 256;
    exchange.start();
    const Bytes finalReply = replies.at(0);
    deliverReplies();
    exchange.received(Value::text(finalReply));
    EXPECT_EQ(commands, (std::vector<Bytes>{"PUSK", "PUSK"}));
    EXPECT_TRUE(failures.empty());
    exchange.received(Value::text(std::string_view("\0", 1)));
    EXPECT_EQ(failures.size(), 1u);
}

TEST_F(UpdateExchange, AnyTextAsRunningChecksumIsReadByTheReadingRule) {
    for (const char* held : {"$1234", "1234", "1234zz"}) {
        checksumField = held;
        TClassMultiElementEx_2078BB0 fresh{waiter, timers.factory()};
        Bytes result;
        fresh.runningChecksum.connect([&] { return Value::text(checksumField); });
        fresh.onChecksum.connect([&](const Value& v) {
            if (result.empty()) result = v.text();
            checksumField = v.text();
        });
        fresh.start();
        std::uint16_t crc = crc16::update(0x1234, builtInFirmware()[0]);
        EXPECT_EQ(result, hex::fourDigits(crc)) << held;
    }
}

TEST_F(UpdateExchange, ArbitraryChunksNeverCrash) {
    exchange.start();
    Bytes every;
    for (int b = 0; b < 256; ++b) every.push_back(static_cast<char>(b));
    for (const Bytes& chunk : {Bytes(), Bytes(1, '\0'), Bytes(4096, '\xFF'), every}) {
        exchange.received(Value::text(chunk));
    }
    EXPECT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[3].text().size(), 512u);
}

}  // namespace
}  // namespace korv
