// lumeric-sim's control channel and its life: what tests and integrators
// drive it with, and how it ends.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim_process.h"

using ::testing::StartsWith;

namespace {
constexpr const char* kFreshUnit = "ok address=1 baud=9600 interval=10 resets=0 calibrations= voltage=1234,0,0,0";

std::string LinkTarget(const std::string& path) {
    char target[256];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}
}  // namespace

TEST(SimControlTest, RefusesWhatItCannotDoAndChangesNothing) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(sim.Command("set 1 name " + std::string(62, 'A')), "error text longer than its field");
    EXPECT_THAT(sim.Command("set 1 maker 4G"), StartsWith("error "));
    EXPECT_THAT(sim.Command("set 1 voltage 5 1"), StartsWith("error "));
    EXPECT_THAT(sim.Command("set 1 baud 300"), StartsWith("error "));
    EXPECT_THAT(sim.Command("fault 1 wobble"), StartsWith("error "));
    EXPECT_THAT(sim.Command("fault 1 late"), StartsWith("error "));
    EXPECT_THAT(sim.Command("get 9"), StartsWith("error "));
    EXPECT_THAT(sim.Command("add 1 9600"), StartsWith("error "));
    EXPECT_EQ(sim.Command("get 1"), kFreshUnit);
}

TEST(SimControlTest, ServesSeveralConnectionsAtOnce) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    std::unique_ptr<ControlConnection> second = sim.Connect();
    std::unique_ptr<ControlConnection> third = sim.Connect();
    ASSERT_TRUE(second->Connected() && third->Connected());
    EXPECT_EQ(second->Command("set 1 interval 42"), "ok");
    third.reset();  // one goes away; the others carry on
    EXPECT_THAT(sim.Command("get 1"), StartsWith("ok address=1 baud=9600 interval=42 "));
    EXPECT_EQ(second->Command("set 1 interval 10"), "ok");
    EXPECT_EQ(sim.Connect()->Command("get 1"), kFreshUnit);
}

TEST(SimControlTest, TerminationRemovesTheLinkAndExitsCleanly) {
    const std::string link = testing::TempDir() + "lumeric-sim-link-" + std::to_string(getpid());
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--link", link}));
    EXPECT_EQ(LinkTarget(link), sim.PtyPath());
    EXPECT_EQ(sim.Stop(), 0);
    struct stat info {};
    EXPECT_NE(lstat(link.c_str(), &info), 0) << "the link outlived the sim";
}

TEST(SimControlTest, QuitEndsTheSim) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(sim.Command("quit"), "ok");
    EXPECT_EQ(sim.WaitForExit(), 0);
}
