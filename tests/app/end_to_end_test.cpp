// The whole program on the offscreen platform, driven through its window as a user would,
// against the device simulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "common/cp1251.h"
#include "support/simulator_process.h"
#include "tools/scripted_user/scripted_user.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using testing::SimulatorProcess;

ScriptedRun runAgainst(const SimulatorProcess& sim, ScriptedUserOptions options = {}) {
    ::setenv("KORVANDELIX_EXTRA_PORTS", sim.port().c_str(), 1);
    ScriptedRun run = runAsScriptedUser(sim.port(), options);
    ::unsetenv("KORVANDELIX_EXTRA_PORTS");
    EXPECT_FALSE(run.timedOut);
    return run;
}

double seconds(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

TEST(EndToEnd, AWholeUpdateEndsOnTheSuccessScreenAfterFifteenSeconds) {
    SimulatorProcess sim({"--expect", KORV_FIRMWARE_FILE, "--exit-after-pusk"});
    const ScriptedRun run = runAgainst(sim);
    EXPECT_TRUE(run.success);
    EXPECT_FALSE(run.error);
    EXPECT_TRUE(run.endScreenComplete);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_EQ(sim.field("bytes_received"), "130048");
    EXPECT_EQ(sim.field("image_matches"), "true");
    EXPECT_EQ(sim.field("pusk_seen"), "true");
    ASSERT_TRUE(run.successShownAt);
    const double puskAt = std::stod(sim.field("clock_origin")) + std::stod(sim.field("pusk_at"));
    const double shownAfter = seconds(*run.successShownAt) - puskAt;
    EXPECT_GT(shownAfter, 15.0);  // PUSK follows the final reply, so this bounds that too
    EXPECT_LT(shownAfter, 17.0);
}

TEST(EndToEnd, AWrongChecksumEndsOnTheErrorScreen) {
    SimulatorProcess sim({"--wrong-crc-at", "3"});
    const ScriptedRun run = runAgainst(sim);
    EXPECT_TRUE(run.error);
    EXPECT_FALSE(run.success);
    EXPECT_TRUE(run.endScreenComplete);
    sim.stop();
    EXPECT_EQ(sim.field("bytes_received"), std::to_string(3 * 256));  // nothing more was sent
}

TEST(EndToEnd, SilenceEndsOnTheErrorScreenOnTheThirdTick) {
    SimulatorProcess sim({"--silent-from", "2"});
    const ScriptedRun run = runAgainst(sim);
    EXPECT_TRUE(run.error);
    ASSERT_TRUE(run.writeClickedAt && run.errorShownAt);
    // The first block's reply clears the counter; the third tick after it is 2 to 3 s later.
    const auto after = *run.errorShownAt - *run.writeClickedAt;
    EXPECT_GT(after, 2s);
    EXPECT_LT(after, 4s);
    sim.stop();
    EXPECT_EQ(sim.field("bytes_received"), "512");
}

TEST(EndToEnd, APortWithoutOurDeviceShowsTheFailureText) {
    SimulatorProcess sim({"--garbage-vers-answer"});
    ScriptedUserOptions options;
    options.pressWrite = false;
    const ScriptedRun run = runAgainst(sim, options);
    EXPECT_EQ(run.status, cp1251::fromUtf8("На этом порту устройств не найдено."));
    EXPECT_EQ(run.exitCode, 0);
    sim.stop();
    EXPECT_EQ(sim.field("vers_queries"), "1");
}

}  // namespace
}  // namespace korv
