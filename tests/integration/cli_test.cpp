// The Linux lumeric-cli, as a script runs it, against lumeric-sim on a pty:
// each command reaches the unit, a new address and speed hold after their
// echo, a held port is refused, a scan finds units at two speeds, a poll
// goes back to back writing its CSV file, to a pipe too, and outlives its
// port's going.
#include <gmock/gmock.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "posix_serial_line.h"
#include "sim_process.h"

namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

// The lines a program started with popen writes until it ends, and its exit code.
std::string RestOf(FILE* program, int& code) {
    std::string text;
    if (program == nullptr) return text;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, program) != nullptr) text += chunk;
    const int status = pclose(program);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return text;
}

class CliTest : public ::testing::Test {
protected:
    // lumeric-cli on the sim's pty with `arguments` (no quotes in them) as a
    // shell runs it: what it wrote to standard output and error; its exit code in `code`.
    std::string Cli(const std::string& arguments) {
        return RestOf(popen((LUMERIC_CLI_PATH " " + sim.PtyPath() + " " + arguments + " 2>&1").c_str(), "r"), code);
    }

    SimProcess sim;
    int code = -1;
};

// The sim takes frames in order: a command's reply proves the frames before
// it applied, a reset's too, though nothing awaits its echo.
TEST_F(CliTest, EachCommandReachesTheUnitANewAddressAndSpeedHoldAfterTheirEchoAndAHeldPortIsRefused) {
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(R"({"address":1,"baud":9600,"interval":10,"name":"Lumeric-VM4","softwareVersion":"V1.00",)"
              R"("maker":"朗明电子","protocolVersion":"V1.0"})"
              "\n",
              Cli("info --json"));
    // --verbose: every frame on standard error as it passes.
    EXPECT_EQ("发: 01 06 00 03 00 3C 79 DB\n读: 01 06 00 03 00 3C 79 DB\nsampling interval set to 60\n",
              Cli("set interval 60 --verbose"));
    EXPECT_EQ("channel 2 calibrated at 20V/3V\n", Cli("calibrate 2 20V/3V"));
    EXPECT_EQ("reset sent to station 1\n", Cli("reset"));
    EXPECT_THAT(Cli("read"), StartsWith("channel 1   1234    12.34 V\n"));
    EXPECT_THAT(sim.Command("get 1"), StartsWith("ok address=1 baud=9600 interval=60 resets=1 calibrations=0203 "));
    // Records go whole to a pipe (here standard output's), which cannot be
    // synced; a device with no room is a write failure.
    const std::string pollOnce = "poll --addresses 1 --count 1 --csv ";
    EXPECT_THAT(Cli(pollOnce + "/dev/stdout"), HasSubstr(",1,1.234,0.000,0.000,0.000,正常,1,0\r\n"));
    EXPECT_EQ("lumeric-cli: cannot write /dev/full: the disk is full\n", Cli(pollOnce + "/dev/full"));
    EXPECT_EQ(7, code);

    EXPECT_EQ("station address set to 5; the unit answers there now\n", Cli("set address 5"));
    EXPECT_EQ("line speed set to 19200 bit/s; the unit answers at that speed now\n", Cli("--address=5 set baud 19200"));
    EXPECT_THAT(Cli("read --address 5 --baud 19200"), StartsWith("channel 1   1234    12.34 V\n"));
    EXPECT_EQ("lumeric-cli: no reply from station 5 at 9600 bit/s\n", Cli("read --address 5"));
    EXPECT_EQ(4, code);

    // The port is this program's alone: one another program holds is refused.
    PosixSerialLine holder;
    ASSERT_TRUE(holder.Open(sim.PtyPath(), 9600, /*exclusive=*/true));
    Cli("read");
    EXPECT_EQ(3, code);
}

// The slow speeds give the sim, on a busy machine, the most time to begin its
// answer within the scan's short wait.
TEST_F(CliTest, ScanFindsThreeUnitsAtTwoSpeedsAndNothingElse) {
    ASSERT_TRUE(sim.Start({"--unit", "2:1200", "--unit", "5:2400", "--unit", "9:1200"}));
    ASSERT_EQ("ok", sim.Command("set 5 name 5A"));  // "Z"
    // Not a terminal: no progress line.
    EXPECT_EQ(R"([{"address":2,"baud":1200,"interval":10,"name":"Lumeric-VM4"},)"
              R"({"address":9,"baud":1200,"interval":10,"name":"Lumeric-VM4"},)"
              R"({"address":5,"baud":2400,"interval":10,"name":"Z"}])"
              "\n",
              Cli("scan --addresses 1-10 --bauds 1200,2400,4800 --json"));
}

// Sixteen units, each request the frame gap after the reply before it: about
// 26 ms a poll at 9600 bit/s, where one unit per period took 500. Each poll
// goes to the CSV file as the multi-unit records are.
TEST_F(CliTest, APassOverSixteenUnitsGoesBackToBackAndWritesEveryPollToTheCsv) {
    std::vector<std::string> units;
    for (int address = 1; address <= 16; ++address) units.insert(units.end(), {"--unit", std::to_string(address)});
    ASSERT_TRUE(sim.Start(units));
    ASSERT_EQ("ok", sim.Command("set 16 voltage 4 65535"));
    const std::string path = ::testing::TempDir() + "lumeric-cli-poll.csv";
    Cli("poll --addresses 1-16 --count 1 --csv " + path);
    EXPECT_EQ(0, code);
    const std::string row = "[0-9-]{10}T[0-9:]{8}\\.[0-9]{3},[0-9]+,1\\.234,0\\.000,0\\.000,";
    std::ifstream csv(path, std::ios::binary);
    EXPECT_THAT(
        std::string(std::istreambuf_iterator<char>(csv), {}),
        MatchesRegex("\xEF\xBB\xBF[^\r]*\r\n(" + row + "0\\.000,正常,1,0\r\n){15}" + row + "65\\.535,正常,1,0\r\n"));
    std::remove(path.c_str());
    // "rx MS BAUD FRAME": when the sim heard each request.
    const std::vector<std::string> heard = sim.RxLog();
    ASSERT_EQ(16u, heard.size());
    for (size_t i = 1; i < heard.size(); ++i) {
        EXPECT_LT(std::stoul(heard[i].substr(3)) - std::stoul(heard[i - 1].substr(3)), 200u) << heard[i];
    }
}

// The sim quits mid-poll, its pty with it, and comes back on the same link.
TEST_F(CliTest, APollWhosePortVanishesSaysSoOnceReopensItAndPollsOn) {
    const std::string link = ::testing::TempDir() + "lumeric-cli-link-" + std::to_string(getpid());
    ASSERT_TRUE(sim.Start({"--link", link}));
    FILE* cli = popen((LUMERIC_CLI_PATH " " + link + " poll --addresses 1 --count 6 2>&1").c_str(), "r");
    ASSERT_NE(nullptr, cli);
    char first[256];
    ASSERT_NE(nullptr, std::fgets(first, sizeof first, cli));
    sim.Stop();
    ASSERT_TRUE(sim.Start({"--link", link}));
    const std::string output = first + RestOf(cli, code);
    EXPECT_EQ(0, code);
    // Six readings, none made up for the time the port was away, and the two lines about it.
    EXPECT_EQ(8, std::count(output.begin(), output.end(), '\n')) << output;
    EXPECT_EQ(std::string::npos, output.find("fault")) << output;
    EXPECT_THAT(output, HasSubstr("lumeric-cli: " + link +
                                  " is gone; trying to reopen it every 2 s\nlumeric-cli: " + link + " is back\n"));
}

// A pty held by the test: it takes the request, then goes.
TEST_F(CliTest, AReadWhosePortVanishesEndsWithExitCode3) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string path = ptsname(master);
    FILE* cli = popen((LUMERIC_CLI_PATH " " + path + " read 2>&1").c_str(), "r");
    uint8_t request[8];
    EXPECT_EQ(8, read(master, request, sizeof request));
    close(master);
    EXPECT_EQ("lumeric-cli: " + path + " is gone: unplugged, or its driver went away\n", RestOf(cli, code));
    EXPECT_EQ(3, code);
}

}  // namespace
