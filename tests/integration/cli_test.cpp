// The Linux lumeric-cli, as a script runs it, against lumeric-sim on a pty:
// every command, the scan of a line with units at two speeds, a new address
// and speed followed by reads there, and a poll into a CSV file.
#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "posix_serial_line.h"
#include "sim_process.h"
#include "steady_clock.h"

namespace {

using ::testing::MatchesRegex;
using ::testing::StartsWith;

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs lumeric-cli with `words` (no quotes in them) as a shell would, and
// waits for it to end.
CliRun RunCli(const std::vector<std::string>& words) {
    const std::string out = ::testing::TempDir() + "lumeric-cli-" + std::to_string(getpid()), err = out + ".err";
    std::string command = LUMERIC_CLI_PATH;
    for (const std::string& word : words) command += " '" + word + "'";
    const int status = std::system((command + " >" + out + " 2>" + err).c_str());
    CliRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(out), FileText(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

class CliTest : public ::testing::Test {
protected:
    void StartSim(const std::vector<std::string>& arguments = {}) {
        ASSERT_TRUE(sim.Start(arguments)) << "lumeric-sim did not start";
    }
    CliRun Cli(std::vector<std::string> words) {
        words.insert(words.begin(), sim.PtyPath());
        return RunCli(words);
    }
    // The sim applies a new address or speed a moment after its echo has left.
    std::string SimUnit(const std::string& address, const std::string& expected) {
        std::string unit = sim.Command("get " + address);
        for (int tries = 0; tries < 100 && unit.rfind(expected, 0) != 0; ++tries) {
            clock.SleepMs(10);
            unit = sim.Command("get " + address);
        }
        return unit;
    }

    SimProcess sim;
    SteadyClock clock;
};

TEST_F(CliTest, InfoTellsTheUnitsSettingsAndTexts) {
    StartSim();
    EXPECT_EQ(R"({"address":1,"baud":9600,"interval":10,"name":"Lumeric-VM4","softwareVersion":"V1.00",)"
              R"("maker":"朗明电子","protocolVersion":"V1.0"})"
              "\n",
              Cli({"info", "--json"}).out);
}

// A new address or speed holds from just after its echo: the unit answers there, and no longer at 9600.
TEST_F(CliTest, WritesReachTheUnitAndANewAddressAndSpeedHoldAfterTheirEcho) {
    StartSim();
    EXPECT_EQ(0, Cli({"set", "interval", "60"}).code);
    EXPECT_EQ(0, Cli({"calibrate", "2", "20V/3V"}).code);
    EXPECT_EQ(0, Cli({"reset"}).code);
    EXPECT_THAT(SimUnit("1", "ok address=1 baud=9600 interval=60 resets=1"),
                StartsWith("ok address=1 baud=9600 interval=60 resets=1 calibrations=0203 "));
    EXPECT_EQ(0, Cli({"set", "address", "5"}).code);
    const CliRun moved = Cli({"set", "baud", "19200", "--address", "5"});
    EXPECT_EQ(0, moved.code) << moved.err;
    EXPECT_THAT(SimUnit("5", "ok address=5 baud=19200"), StartsWith("ok address=5 baud=19200 "));
    EXPECT_EQ(0, Cli({"read", "--address", "5", "--baud", "19200"}).code);
    EXPECT_EQ(4, Cli({"read", "--address", "5"}).code);
}

TEST_F(CliTest, ScanFindsThreeUnitsAtTwoSpeedsAndNothingElse) {
    StartSim({"--unit", "2", "--unit", "5:19200", "--unit", "9"});
    ASSERT_EQ("ok", sim.Command("set 5 name 5A"));  // "Z"
    const CliRun scan = Cli({"scan", "--addresses", "1-10", "--bauds", "4800,9600,19200", "--json"});
    EXPECT_EQ(0, scan.code) << scan.err;
    EXPECT_EQ(R"([{"address":2,"baud":9600,"interval":10,"name":"Lumeric-VM4"},)"
              R"({"address":9,"baud":9600,"interval":10,"name":"Lumeric-VM4"},)"
              R"({"address":5,"baud":19200,"interval":10,"name":"Z"}])"
              "\n",
              scan.out);
    // Not a terminal: no progress line.
    EXPECT_EQ("", scan.err);
}

TEST_F(CliTest, PollCountWritesEveryPollToTheCsvAsTheMultiUnitRecordsAre) {
    StartSim({"--unit", "1", "--unit", "3"});
    ASSERT_EQ("ok", sim.Command("set 3 voltage 4 65535"));
    const std::string path = ::testing::TempDir() + "lumeric-cli-poll.csv";
    const CliRun poll = Cli({"poll", "--addresses", "1-3", "--count", "2", "--csv", path});
    EXPECT_EQ(0, poll.code) << poll.err;
    EXPECT_EQ(6, std::count(poll.out.begin(), poll.out.end(), '\n'));

    const std::string csv = FileText(path);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(csv.substr(at, end - at));
    }
    const std::string time = "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}";
    ASSERT_EQ(7u, lines.size()) << csv;
    EXPECT_EQ("\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数",
              lines[0]);
    EXPECT_THAT(lines[1], MatchesRegex(time + ",1,1\\.234,0\\.000,0\\.000,0\\.000,正常,1,0"));
    EXPECT_THAT(lines[2], MatchesRegex(time + ",2,,,,,通讯故障,0,1"));
    EXPECT_THAT(lines[6], MatchesRegex(time + ",3,1\\.234,0\\.000,0\\.000,65\\.535,正常,2,0"));
    std::remove(path.c_str());
}

TEST_F(CliTest, APortHeldByAnotherProgramIsRefused) {
    StartSim();
    PosixSerialLine holder;
    ASSERT_TRUE(holder.Open(sim.PtyPath(), 9600, /*exclusive=*/true));
    EXPECT_EQ(3, Cli({"read"}).code);
    holder.Close();
    EXPECT_EQ(0, Cli({"read"}).code);
}

}  // namespace
