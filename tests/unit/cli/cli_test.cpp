// lumeric-cli's own rules on a fake port and virtual time: what the command
// line takes and refuses, what each command sends and shows, its exit codes,
// the scan's waits and progress, the poll's pace and record file. The
// exchange, replies, scale and limits it shares are proven with the console.
#include <gmock/gmock.h>

#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_environment.h"
#include "com_port_name.h"
#include "command_line.h"
#include "fakes/fake_record_io.h"
#include "fakes/fake_serial_line.h"
#include "fakes/frames.h"
#include "iconv_cp936_decoder.h"
#include "poll_line.h"
#include "register_map.h"
#include "run_cli.h"

namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

std::vector<uint8_t> Echo(const RequestFrame& request) { return {request.begin(), request.end()}; }

// A line with units behind it: a request sent at the speed the port is open
// at gets its scripted reply 5 ms later, and its scripted trailing bytes 3 ms
// after that; any other stays unanswered.
struct AnsweringLine : FakeSerialLine {
    using FakeSerialLine::FakeSerialLine;
    void StartWrite(const uint8_t* data, uint32_t count) override {
        FakeSerialLine::StartWrite(data, count);
        const auto answer = answers.find({opened.back().baudRate, writes.back()});
        if (answer != answers.end()) Arrive(m_clock.NowMs() + 5, answer->second);
        const auto tail = trailing.find({opened.back().baudRate, writes.back()});
        if (tail != trailing.end()) Arrive(m_clock.NowMs() + 8, tail->second);
    }
    std::map<std::pair<uint32_t, std::vector<uint8_t>>, std::vector<uint8_t>> answers, trailing;
};

// The program as its main runs it, with this fixture as its port and its
// streams. "missing" is not there, "LPT1" is no port name, and "p" must never
// be opened: the command lines that name it are refused before the wire.
class CliTest : public ::testing::Test, public CliPort, public CliStreams, public PollSink {
protected:
    PortOpening Open(const std::string& name, uint32_t baudRate) override {
        EXPECT_NE("p", name) << "a refused command line reached the port";
        if (name == "LPT1") return PortOpening::BadName;
        if (name == "missing" || line.HungUp()) return PortOpening::Unavailable;
        line.Open(1, baudRate);
        return PortOpening::Opened;
    }
    void Close() override { line.Close(); }
    SerialLine& Line() override { return line; }
    void Out(const std::string& text) override { out += text; }
    void Err(const std::string& text) override { err += text; }
    bool ErrIsTerminal() const override { return terminal; }
    // As the gateway's sink: told to stop at `stopAtMs`.
    std::optional<CliFailure> Polled(const PolledUnit&, PollFailure) override { return std::nullopt; }
    bool StopRequested() const override { return clock.NowMs() >= stopAtMs; }

    // A command line is words split at spaces.
    int Run(const std::string& commandLine) {
        std::istringstream words(commandLine);
        out.clear();
        err.clear();
        return RunCli({std::istream_iterator<std::string>(words), {}}, environment);
    }
    void Answer(uint32_t baudRate, const RequestFrame& request, const std::vector<uint8_t>& reply) {
        line.answers[{baudRate, Echo(request)}] = reply;
    }

    mutable VirtualClock clock{1000};  // read by StopRequested, a const method
    AnsweringLine line{clock};
    IconvCp936Decoder unitText;
    FakeLocalClock localClock{clock};
    FakeOutputFile recordFile;
    CliEnvironment environment{*this, clock, unitText, *this, localClock, recordFile};
    std::string out, err;
    bool terminal = false;
    uint32_t stopAtMs = 0;
};

// A command that succeeds shows its result on standard output; one that does
// not shows one line on standard error, and its exit code says which failure.
TEST_F(CliTest, EachCommandLineShowsItsResultOrOneLineWhyWithItsExitCode) {
    Answer(9600, ReadFourVoltagesRequest(1), RegistersReply(1, {1234, 0, 1, 65535}));
    std::vector<uint8_t> corrupt = Echo(SetSampleIntervalRequest(1, 250));
    corrupt.back() ^= 0x01;
    Answer(9600, SetSampleIntervalRequest(1, 250), corrupt);
    Answer(9600, ReadSettingsRequest(1), SettingsReply(0x0105, 19200, 10));
    // A version that fills its field has no zero to end it. The name holds what
    // JSON must escape.
    const std::string name = "C:\\VM4 \"A\"\x01";
    const std::vector<uint8_t> maker = {0xC0, 0xCA, 0xC3, 0xF7, 0xB5, 0xE7, 0xD7, 0xD3};  // 朗明电子
    Answer(9600, ReadIdentityRequest(1), IdentityReply({AsBytes(name), AsBytes("V1.00-2024"), maker, AsBytes("V1.0")}));
    Answer(9600, ReadSettingsRequest(4), SettingsReply(4, 9600, 10));
    Answer(9600, ReadSettingsRequest(6), SettingsReply(6, 9600, 10));
    line.trailing[{9600, Echo(ReadSettingsRequest(6))}] = {0x00, 0x00};
    Answer(9600, ReadIdentityRequest(6), IdentityReply({}));
    const struct {
        const char* line;
        int code;
        const char* text;  // standard output after 0, the line why after another code
    } cases[] = {
        {"COM1 read", 0,
         "channel 1   1234    12.34 V\nchannel 2      0     0.00 V\nchannel 3      1     0.01 V\n"
         "channel 4  65535   655.35 V\n"},
        {"COM1 read --scale 0.001 --json", 0,
         R"({"address":1,"channels":[{"channel":1,"raw":1234,"volts":1.234},{"channel":2,"raw":0,"volts":0.0},)"
         R"({"channel":3,"raw":1,"volts":0.001},{"channel":4,"raw":65535,"volts":65.535}]})"
         "\n"},
        {"COM1 info --json", 0,
         R"({"address":5,"baud":19200,"interval":10,"name":"C:\\VM4 \"A\"\u0001","softwareVersion":"V1.00-2024",)"
         R"("maker":"朗明电子","protocolVersion":"V1.0"})"
         "\n"},
        // Bytes trailing the settings are waited out before the texts are asked for.
        {"COM1 info --address 6 --json", 0,
         R"({"address":6,"baud":9600,"interval":10,"name":"","softwareVersion":"","maker":"","protocolVersion":""})"
         "\n"},
        {"COM1 set interval 250", 5, "setting failed: the reply of station 1 failed its CRC check"},
        {"COM1 --baud 4800 calibrate 1 3V/3V", 4, "calibration failed: no reply from station 1 at 4800 bit/s"},
        // The settings came, the texts did not: no half answer.
        {"COM1 info --address 4", 4, "no reply from station 4 at 9600 bit/s"},
        {"missing read", 3, "cannot open missing at 9600 bit/s: missing, or held by another program"},
        {"LPT1 read", 2, "LPT1 names no serial port (give COMn or n, n from 1 to 1024)"},
        // Pass after pass with no pause is a period like any other.
        {"missing poll --addresses 1 --period 0", 3,
         "cannot open missing at 9600 bit/s: missing, or held by another program"},
        {"--version", 0, "lumeric-cli " LUMERIC_VERSION "\n"},
        // Refused before the port is opened.
        {"", 2, "A subcommand is required"},
        {"read", 2, "the PORT comes before the command"},
        {"p", 2, "A subcommand is required"},
        {"p fly", 2, "A subcommand is required"},
        {"p set speed 5", 2, "A subcommand is required"},
        {"p set address", 2, "N is required"},
        {"p read 5", 2, "The following argument was not expected: 5"},
        {"p read --address", 2, "--address: 1 required A missing"},
        {"p scan --address 1", 2, "scan excludes --address"},
        {"p read --address x1", 2, "--address: x1 is no number"},
        {"p read --address 248", 6, "--address 248 is outside 0-247"},
        {"p read --baud 115200", 6, "--baud 115200 is not one of 1200, 2400, 4800, 9600, 19200"},
        {"p read --scale 0.1", 2, "--scale: 0.1 not in {0.01,0.001}"},
        {"p set address 16", 6, "station address 16 is outside 0-15"},
        // 2^64 + 1: a parse that wraps would take it for 1.
        {"p set address 18446744073709551617", 6, "station address 18446744073709551617 is outside 0-15"},
        {"p set interval 0", 6, "sampling interval 0 is outside 1-250"},
        {"p set baud 300", 6, "line speed 300 is not one of 1200, 2400, 4800, 9600, 19200"},
        {"p calibrate 5 20V/3V", 6, "channel 5 is outside 1-4"},
        {"p calibrate 1 20V", 2,
         "POINT: 20V not in {3V/0.5V,3V/3V,20V/3V,20V/20V,200V/20V,200V/200V,600V/200V,600V/600V}"},
        {"p poll", 2, "--addresses is required"},
        {"p poll --addresses 5-1", 2, "--addresses: 5-1 runs backwards"},
        {"p poll --addresses 1,,2", 2, "--addresses: nothing is no number"},
        {"p scan --addresses 1,300", 6, "--addresses 300 is outside 0-247"},
        {"p poll --addresses 1 --period 3600001", 6, "--period 3600001 is outside 0-3600000"},
        {"p poll --addresses 1 --count 0", 6, "--count 0 is outside 1-2147483647"},
        {"p poll --addresses 1 --csv=", 2, "--csv: 1 required FILE missing"},
        // The gateway's options: none without --mqtt, none that cannot work.
        {"p poll --addresses 1 --spool /tmp/s", 2, "--spool requires --mqtt"},
        {"p poll --addresses 1 --no-discovery", 2, "--no-discovery requires --mqtt"},
        // Given, even at its default value.
        {"p poll --addresses 1 --spool-limit 1000000", 2, "--spool-limit requires --mqtt"},
        {"p poll --addresses 1 --mqtt http://b", 2,
         "http://b is no broker address (give mqtt://HOST:PORT or mqtts://HOST:PORT)"},
        {"p poll --addresses 1 --mqtt mqtt://b --cafile ca.pem", 2, "--cafile needs an mqtts:// broker"},
        {"p poll --addresses 1 --mqtt mqtts://b --cafile /missing/ca.pem", 2,
         "--cafile /missing/ca.pem cannot be read"},
        {"p poll --addresses 1 --mqtt mqtt://b --topic a/#", 2,
         "--topic a/# is no topic prefix (no + or #, no empty level)"},
        {"p poll --addresses 1 --mqtt mqtt://b --spool-limit 0", 6, "--spool-limit 0 is outside 1-1000000000"},
        // Alarm limits: each value, then the limits together.
        {"p poll --addresses 1 --high 4.2x", 2, "--high: 4.2x is no number of volts"},
        {"p poll --addresses 1 --high 4,,4", 2, "--high: 4,,4 is neither one limit nor four"},
        {"p poll --addresses 1 --low 655.351", 6, "--low 655.351 is outside 0.000-655.350"},
        {"p poll --addresses 1 --high 4 --on-delay 101", 6, "--on-delay 101 is outside 1-100"},
        {"p poll --addresses 1 --low 3,,4,3 --high 3.5", 6, "--low 4.000 of channel 3 is not below its --high 3.500"},
        {"p poll --addresses 1 --low 3 --high 3.01", 6,
         "--hysteresis 0.010 is not below the gap between --low and --high of channel 1"},
        {"p poll --addresses 1 --spread 0.05 --hysteresis 0.05", 6, "--hysteresis 0.050 is not below --spread 0.050"},
        {"p poll --addresses 1 --on-delay 2", 2, "--hysteresis and --on-delay need a limit: --low, --high or --spread"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, Run(c.line)) << c.line;
        EXPECT_EQ(c.code == 0 ? c.text : "", out) << c.line;
        EXPECT_EQ(c.code == 0 ? "" : std::string("lumeric-cli: ") + c.text + "\n", err) << c.line;
    }
    // Any JSON reader gets the name back whole.
    Run("COM1 info --json");
    EXPECT_EQ(name, nlohmann::json::parse(out).at("name"));
}

// A unit that resets may never echo: the reset is sent, not awaited.
TEST_F(CliTest, AResetAwaitsNoEcho) {
    EXPECT_EQ(0, Run("COM1 reset"));
    EXPECT_EQ("reset sent to station 1\n", out);
    EXPECT_EQ(1000u, clock.NowMs());
}

TEST_F(CliTest, HelpAnywhereShowsTheCommandsTextWithTheExitCodesAndTouchesNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"--help", "Usage: lumeric-cli [OPTIONS] PORT COMMAND\n"},
        {"-h scan", "Usage: lumeric-cli PORT scan [OPTIONS]\n"},
        // Help wins over a line that would be refused.
        {"p set address 99 --help", "Usage: lumeric-cli PORT set address [OPTIONS] N\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(0, Run(c.first)) << c.first;
        EXPECT_THAT(out, HasSubstr(c.second)) << c.first;
        EXPECT_THAT(out,
                    HasSubstr("\n  3  the port cannot be opened (missing, or held by another program) or has gone\n"));
    }
}

// What a parse gave, every option in one line, so that a config file and a
// command line can be compared whole.
std::string Given(const ParsedCommandLine& parsed) {
    if (const auto* failure = std::get_if<CliFailure>(&parsed)) {
        return std::to_string(static_cast<int>(failure->code)) + " " + failure->message;
    }
    const CliOptions& o = std::get<CliOptions>(parsed);
    const GatewayOptions& g = o.gateway;
    std::string addresses;
    for (const uint8_t address : o.addresses) addresses += std::to_string(address) + ",";
    std::ostringstream line;
    line << o.port << " " << int{o.address} << " " << o.baud << " " << o.verbose << " " << addresses << " "
         << o.periodMs << " " << o.passes << " " << o.csvPath << " " << g.url << " " << g.topicPrefix << " "
         << g.spoolDir << " " << g.spoolLimit << " " << g.user << " " << g.passwordFile << " " << g.caFile << " "
         << g.discovery << " " << MillivoltsText(o.alarms.highMv[1].value_or(0)) << " " << o.alarms.onDelayPolls;
    return line.str();
}

// --config FILE sets what the command line sets, the program's options at
// the top and the poll's under [poll]; the command line wins; a key the
// program does not know is refused with its line.
TEST(CliConfigFile, SetsEveryOptionTheCommandLineWinsAnUnknownKeyIsRefusedWithItsLine) {
    char pattern[] = "/tmp/lumeric-config-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const std::string folder = pattern;
    const std::string config = folder + "/line3.conf", unknown = folder + "/unknown.conf";
    std::ofstream(config)
        << "# line 3\nport = \"/dev/ttyUSB0\"\nbaud = 19200\nverbose = true\n\n[poll]\n"
           "addresses = \"1-3,7\"\nperiod = 1000\ncount = 5\ncsv = \"line3.csv\"\n"
           "mqtt = \"mqtts://broker:8883\"\ntopic = \"site/line3\"\nspool = \"/var/lib/lumeric/line3\"\n"
           "spool-limit = 5000\nuser = \"line3\"\npassword-file = \""
        << config << "\"\ncafile = \"" << config
        << "\"\nno-discovery = true\nhigh = 4.2\non-delay = 2\n";  // any file that can be read
    std::ofstream(unknown) << "port = \"/dev/ttyUSB0\"\n[poll]\naddresses = \"1\"\n\n  speed = 9600\n";
    const auto parse = [](const std::vector<std::string>& words) { return Given(ParseCommandLine(words)); };
    // What the file says, as a command line; then with the port and the period given beside it.
    std::vector<std::string> line = {"/dev/ttyUSB0", "--baud", "19200", "--verbose", "poll", "--addresses", "1-3,7"};
    const std::vector<std::string> rest = {"--count",
                                           "5",
                                           "--csv",
                                           "line3.csv",
                                           "--mqtt",
                                           "mqtts://broker:8883",
                                           "--topic",
                                           "site/line3",
                                           "--spool",
                                           "/var/lib/lumeric/line3",
                                           "--spool-limit",
                                           "5000",
                                           "--user",
                                           "line3",
                                           "--password-file",
                                           config,
                                           "--cafile",
                                           config,
                                           "--no-discovery",
                                           "--high",
                                           "4.2",
                                           "--on-delay",
                                           "2"};
    std::vector<std::string> fromFile = line;
    fromFile.insert(fromFile.end(), {"--period", "1000"});
    fromFile.insert(fromFile.end(), rest.begin(), rest.end());
    // Taken whole: the comparison is of two parses that succeeded.
    ASSERT_EQ(0u, parse(fromFile).rfind("/dev/ttyUSB0 ", 0)) << parse(fromFile);
    EXPECT_EQ(parse(fromFile), parse({"--config", config, "poll"}));
    line[0] = "/dev/ttyS1";
    line.insert(line.end(), {"--period", "0"});
    line.insert(line.end(), rest.begin(), rest.end());
    EXPECT_EQ(parse(line), parse({"/dev/ttyS1", "--config", config, "poll", "--period", "0"}));
    EXPECT_EQ("2 " + unknown + " line 5: unknown key poll.speed", parse({"--config", unknown, "poll"}));
    EXPECT_EQ("2 " + folder + "/none.conf was not readable (missing?)",
              parse({"--config", folder + "/none.conf", "poll"}));
    std::system(("rm -rf " + folder).c_str());
}

TEST(ComPortName, TheNamesOfCom1To1024AndNothingElse) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"COM5", 5}, {"com12", 12}, {"5", 5},   {"\\\\.\\COM7", 7}, {"COM1024", 1024}, {"COM1025", 0},
        {"COM0", 0}, {"COM05", 0},  {"COM", 0}, {"COM5x", 0},       {"/dev/ttyS0", 0}, {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, ComPortNumber(c.first)) << c.first;
}

// Station 1 answers 5 ms after its request, station 2 never. Each request
// follows 4 ms of silence (3.5 characters at 9600 bit/s), a silent station
// costs its whole second, and a pass begins a period after the one before,
// or at once when that one took longer. A record file that cannot be
// written, or a port gone for more than 30 s, ends the poll.
TEST_F(CliTest, PollGoesBackToBackAPeriodBetweenPassesUntilItsRecordFileOrPortFails) {
    Answer(9600, ReadFourVoltagesRequest(1), RegistersReply(1, {3456, 3457, 3458, 3459}));
    const std::string one = "  station 1  3.456  3.457  3.458  3.459\n";
    const std::string two = "  station 2  communication fault\n";
    const std::pair<const char*, std::string> cases[] = {
        {"COM1 poll --addresses 1,1 --count 2 --period 600",
         "2024-03-05T00:00:01.009" + one + "2024-03-05T00:00:01.018" + one +  // one period on
             "2024-03-05T00:00:01.609" + one + "2024-03-05T00:00:01.618" + one},
        {"COM1 poll --addresses 1-2 --count 2 --period 600 --csv rec.csv",
         "2024-03-05T00:00:02.009" + one + "2024-03-05T00:00:03.013" + two +  // longer than the period
             "2024-03-05T00:00:03.022" + one + "2024-03-05T00:00:04.026" + two},
        {"COM1 poll --addresses 1 --count 3 --period 0",  // no pause at all
         "2024-03-05T00:00:05.009" + one + "2024-03-05T00:00:05.018" + one + "2024-03-05T00:00:05.027" + one},
    };
    for (const auto& c : cases) {
        clock.SleepMs((1000 - clock.NowMs() % 1000) % 1000);  // each case from a whole second
        EXPECT_EQ(0, Run(c.first)) << c.first;
        EXPECT_EQ(c.second, out) << c.first;
    }
    // Each place in the list keeps its own counts, as a row of the table does.
    EXPECT_THAT(recordFile.bytes, EndsWith("\r\n2024-03-05T00:00:04.026,2,,,,,通讯故障,0,2\r\n"));

    // Another run on the same records adds to them, under the one title line.
    EXPECT_EQ(0, Run("COM1 poll --addresses 1 --count 1 --csv rec.csv"));
    EXPECT_THAT(recordFile.bytes, ::testing::HasSubstr("\r\n2024-03-05T00:00:04.026,2,,,,,通讯故障,0,2\r\n"));
    EXPECT_EQ(recordFile.bytes.find(PollRecordHead()), recordFile.bytes.rfind(PollRecordHead()));
    EXPECT_THAT(recordFile.bytes, EndsWith(",1,3.456,3.457,3.458,3.459,正常,1,0\r\n"));

    // With alarm limits each raise is a line on standard error: station 1's
    // channel 4 above its limit at once, station 2 at its third silent poll.
    EXPECT_EQ(0, Run("COM1 poll --addresses 1,2 --count 3 --period 0 --high 3.457,,,3.458"));
    EXPECT_EQ(
        "lumeric-cli: alarm raised  2024-03-05T00:00:05.045  station 1  channel 4 high  3.459 V  limit 3.458 V\n"
        "lumeric-cli: alarm raised  2024-03-05T00:00:08.075  station 2  communication\n",
        err);

    line.writes.clear();
    recordFile.failingAppend = 0;  // the first poll's line does not go in
    EXPECT_EQ(7, Run("COM1 poll --addresses 1 --csv rec.csv"));
    EXPECT_EQ("lumeric-cli: cannot write rec.csv: the disk is full\n", err);
    EXPECT_EQ(1u, line.writes.size());
    recordFile.createError = FileError{FileFailure::FolderMissing, 3};
    EXPECT_EQ(7, Run("COM1 poll --addresses 1 --csv x/rec.csv"));
    EXPECT_EQ("lumeric-cli: cannot write x/rec.csv: its folder does not exist\n", err);
    EXPECT_EQ(1u, line.writes.size());  // nothing more sent

    // The port goes before the second pass: no poll is shown for it, the loss
    // is told once (and is the unit's communication alarm), and the port is
    // tried every 2 s until the poll gives up.
    clock.SleepMs(1000 - clock.NowMs() % 1000);
    const uint32_t goneAt = clock.NowMs() + 500;
    line.HangUpAt(goneAt);
    EXPECT_EQ(3, Run("COM1 poll --addresses 1 --count 5 --period 500 --low 3"));
    EXPECT_EQ("2024-03-05T00:00:09.009" + one, out);
    EXPECT_EQ(
        "lumeric-cli: alarm raised  2024-03-05T00:00:09.500  station 1  communication\n"
        "lumeric-cli: COM1 is gone; trying to reopen it every 2 s\n"
        "lumeric-cli: COM1 has been gone for more than 30 s\n",
        err);
    EXPECT_EQ(goneAt + 15 * 2000, clock.NowMs());
    EXPECT_EQ(2u, line.writes.size());
}

// A gateway told to stop, whether between passes of a long period or while
// its port is away (longer than a counted poll waits for it), ends within a
// tenth of a second of being told.
TEST_F(CliTest, AStopRequestEndsThePollingWithoutWaitingOutThePeriodOrThePort) {
    Answer(9600, ReadFourVoltagesRequest(1), RegistersReply(1, {3456, 3457, 3458, 3459}));
    CliOptions options;
    options.command = Command::Poll;
    options.port = "COM1";
    options.addresses = {1};
    options.periodMs = 3600000;
    CliSession session(environment, options);
    ASSERT_FALSE(session.Open(9600));
    stopAtMs = clock.NowMs() + 5000;
    EXPECT_FALSE(PollLine(session, *this));
    EXPECT_LT(clock.NowMs() - stopAtMs, 100u);

    line.HangUpAt(clock.NowMs() + 10);
    options.periodMs = 0;
    stopAtMs = clock.NowMs() + 40000;
    EXPECT_FALSE(PollLine(session, *this));
    EXPECT_LT(clock.NowMs() - stopAtMs, 2000u);  // one reopening's wait at most
}

// Without lists a scan asks stations 1 to 247 at every speed; a silent one
// costs its request, the first reply character and a turnaround of 100 ms.
TEST_F(CliTest, AScanWaitsForEachStationAsItsSpeedNeedsAndListsEveryUnitThatAnswers) {
    EXPECT_EQ(0, Run("COM1 scan"));
    EXPECT_EQ("no unit found\n", out);
    EXPECT_EQ(Echo(ReadSettingsRequest(1)), line.writes.front());
    // 1200, 2400, 4800, 9600 and 19200 bit/s, the characters rounded up.
    EXPECT_EQ(1000u + 247 * ((75 + 100) + (38 + 100) + (19 + 100) + (10 + 100) + (5 + 100)), clock.NowMs());

    Answer(9600, ReadSettingsRequest(1), SettingsReply(1, 9600, 10));
    Answer(9600, ReadIdentityRequest(1), IdentityReply({AsBytes("VM4")}));
    Answer(9600, ReadSettingsRequest(3), RegistersReply(3, {3, 9600, 10}));
    Answer(9600, ReadSettingsRequest(4), RegistersReply(3, {3, 9600, 10}));  // station 3 once more, late
    terminal = true;
    EXPECT_EQ(0, Run("COM1 scan --addresses 1-4 --bauds 9600"));
    // Station 3 gives its settings, not its name: it is there all the same.
    EXPECT_EQ("address  speed  interval  name\n1        9600   10        VM4\n3        9600   10        \n", out);
    EXPECT_THAT(err, HasSubstr("\rscanning at 9600 bit/s: station 4 (4 of 4), 2 found  "));
    EXPECT_THAT(err, EndsWith(std::string(72, ' ') + "\r"));
}

}  // namespace
