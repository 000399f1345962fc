// What the command line accepts, and what it refuses before the port is
// touched: every refusal names its reason on one line and sends nothing.
#include <gmock/gmock.h>

#include <variant>

#include "cli_fixture.h"
#include "com_port_name.h"
#include "command_line.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(CommandLine, AScanWithoutListsCoversStations1To247AtEverySpeed) {
    const ParsedCommandLine parsed = ParseCommandLine({"p", "scan"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
    const CliOptions& scan = std::get<CliOptions>(parsed);
    ASSERT_EQ(247u, scan.addresses.size());
    EXPECT_EQ(1, scan.addresses.front());
    EXPECT_EQ(247, scan.addresses.back());
    EXPECT_EQ((std::vector<uint32_t>{1200, 2400, 4800, 9600, 19200}), scan.bauds);
}

using CommandLineTest = CliTest;

TEST_F(CommandLineTest, RefusalsSayWhyOnOneLineWithTheirCodeAndSendNothing) {
    constexpr int kUsage = 2;
    constexpr int kRange = 6;
    const struct {
        const char* line;
        int code;
        const char* message;
    } cases[] = {
        {"", kUsage, "no PORT and command given (see --help)"},
        {"read", kUsage, "the PORT comes before the command"},
        {"p", kUsage, "no command given after p"},
        {"p fly", kUsage, "unknown command fly"},
        {"p set speed 5", kUsage, "set takes address, baud or interval"},
        {"p set address", kUsage, "set needs 1 value"},
        {"p read 5", kUsage, "read takes no values"},
        {"p read --colour", kUsage, "unknown option --colour"},
        {"p read --address", kUsage, "--address needs a value"},
        {"p read --json=yes", kUsage, "--json takes no value"},
        {"p info --scale 0.01", kUsage, "--scale does not apply to info"},
        {"p scan --address 1", kUsage, "--address does not apply to scan"},
        {"p read --address x1", kUsage, "--address: x1 is no number"},
        {"p read --address 248", kRange, "--address 248 is outside 0-247"},
        {"p read --baud 115200", kRange, "--baud 115200 is not one of 1200, 2400, 4800, 9600, 19200"},
        {"p read --scale 0.1", kUsage, "--scale is 0.01 (the console's) or 0.001 (the multi-unit table's)"},
        {"p set address 16", kRange, "station address 16 is outside 0-15"},
        {"p set address -1", kRange, "station address -1 is outside 0-15"},
        {"p set address 99999999999999999999", kRange, "station address 99999999999999999999 is outside 0-15"},
        {"p set interval 0", kRange, "sampling interval 0 is outside 1-250"},
        {"p set interval 251", kRange, "sampling interval 251 is outside 1-250"},
        {"p set baud 300", kRange, "line speed 300 is not one of 1200, 2400, 4800, 9600, 19200"},
        {"p calibrate 5 20V/3V", kRange, "channel 5 is outside 1-4"},
        {"p calibrate 1 20V", kUsage,
         "unknown calibration point 20V (one of 3V/0.5V, 3V/3V, 20V/3V, 20V/20V, 200V/20V, 200V/200V, 600V/200V, "
         "600V/600V)"},
        {"p poll", kUsage, "poll needs --addresses"},
        {"p poll --addresses 5-1", kUsage, "--addresses: 5-1 runs backwards"},
        {"p poll --addresses 1,,2", kUsage, "--addresses: nothing is no number"},
        {"p scan --addresses 1,300", kRange, "--addresses 300 is outside 0-247"},
        {"p scan --bauds 9600,300", kRange, "--bauds 300 is not one of 1200, 2400, 4800, 9600, 19200"},
        {"p poll --addresses 1 --period 499", kRange, "--period 499 is outside 500-3600000"},
        {"p poll --addresses 1 --count 0", kRange, "--count 0 is outside 1-2147483647"},
        {"p poll --addresses 1 --csv=", kUsage, "--csv needs a file name"},
    };
    for (const auto& c : cases) {
        streams.err.clear();
        EXPECT_EQ(c.code, Run(c.line)) << c.line;
        EXPECT_EQ(std::string("lumeric-cli: ") + c.message + "\n", streams.err) << c.line;
    }
    EXPECT_TRUE(line.opened.empty());
    EXPECT_TRUE(streams.out.empty());
}

TEST_F(CommandLineTest, HelpAnywhereShowsTheCommandsTextWithTheExitCodesAndTouchesNothing) {
    const struct {
        const char* line;
        const char* start;
    } cases[] = {
        {"--help", "Usage: lumeric-cli PORT COMMAND"},
        {"p read --help", "Usage: lumeric-cli PORT read"},
        {"-h scan", "Usage: lumeric-cli PORT scan"},
        // Help wins over a line that would be refused.
        {"p set address 99 --help", "Usage: lumeric-cli PORT set address N"},
        {"p fly --help", "Usage: lumeric-cli PORT COMMAND"},
    };
    for (const auto& c : cases) {
        streams.out.clear();
        EXPECT_EQ(0, Run(c.line)) << c.line;
        EXPECT_THAT(streams.out, StartsWith(c.start)) << c.line;
        EXPECT_THAT(streams.out, HasSubstr("\n  3  the port cannot be opened: missing, or held by another program\n"));
    }
    EXPECT_TRUE(line.opened.empty());
    EXPECT_TRUE(streams.err.empty());
}

TEST(ComPortName, TheNamesOfCom1To1024AndNothingElse) {
    const struct {
        const char* name;
        uint32_t number;
    } cases[] = {
        {"COM5", 5},  {"com12", 12},  {"5", 5},         {"\\\\.\\COM7", 7}, {"COM1024", 1024}, {"COM1025", 0},
        {"COM0", 0},  {"COM05", 0},   {"COM", 0},       {"COM5x", 0},       {"/dev/ttyS0", 0}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.number, ComPortNumber(c.name)) << c.name;
}

}  // namespace
