// Each command's requests, its output in text and JSON, and its failures,
// from scripted replies on virtual time.
#include <gmock/gmock.h>

#include "cli_fixture.h"
#include "fakes/frames.h"
#include "poll_record.h"

namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

std::vector<uint8_t> Echo(const RequestFrame& request) { return {request.begin(), request.end()}; }

const std::vector<uint8_t> kMaker936 = {0xC0, 0xCA, 0xC3, 0xF7, 0xB5, 0xE7, 0xD7, 0xD3};  // 朗明电子

using CommandsTest = CliTest;

TEST_F(CommandsTest, ReadShowsTheFourRawCountsAndTheirVoltsAtEitherScale) {
    for (uint8_t address : {1, 2}) {
        Answer(9600, ReadFourVoltagesRequest(address), RegistersReply(address, {1234, 0, 1, 65535}));
    }
    const struct {
        const char* line;
        const char* out;
    } cases[] = {
        {"p read",
         "channel 1   1234    12.34 V\nchannel 2      0     0.00 V\nchannel 3      1     0.01 V\n"
         "channel 4  65535   655.35 V\n"},
        {"p read --address 2 --json",
         R"({"address":2,"channels":[{"channel":1,"raw":1234,"volts":12.34},{"channel":2,"raw":0,"volts":0.00},)"
         R"({"channel":3,"raw":1,"volts":0.01},{"channel":4,"raw":65535,"volts":655.35}]})"
         "\n"},
        {"p read --scale 0.001 --json",
         R"({"address":1,"channels":[{"channel":1,"raw":1234,"volts":1.234},{"channel":2,"raw":0,"volts":0.000},)"
         R"({"channel":3,"raw":1,"volts":0.001},{"channel":4,"raw":65535,"volts":65.535}]})"
         "\n"},
    };
    for (const auto& c : cases) {
        streams.out.clear();
        EXPECT_EQ(0, Run(c.line)) << c.line;
        EXPECT_EQ(c.out, streams.out) << c.line;
    }
    EXPECT_EQ(Echo(ReadFourVoltagesRequest(1)), line.writes[0]);
    EXPECT_EQ(9600u, line.opened[0].baudRate);
}

TEST_F(CommandsTest, InfoShowsTheSettingsAndTheUnitsTextsInUtf8) {
    Answer(9600, ReadSettingsRequest(1), SettingsReply(0x0105, 19200, 10));
    // A version that fills its field has no zero to end it.
    Answer(9600, ReadIdentityRequest(1),
           IdentityReply({AsBytes("Lumeric \"VM4\""), AsBytes("V1.00-2024"), kMaker936, AsBytes("V1.0")}));
    EXPECT_EQ(0, Run("p info"));
    EXPECT_EQ("station address    5\n"
              "line speed         19200 bit/s\n"
              "sampling interval  10\n"
              "device name        Lumeric \"VM4\"\n"
              "software version   V1.00-2024\n"
              "maker              朗明电子\n"
              "protocol version   V1.0\n",
              streams.out);
    streams.out.clear();
    EXPECT_EQ(0, Run("p info --json"));
    EXPECT_EQ(R"({"address":5,"baud":19200,"interval":10,"name":"Lumeric \"VM4\"","softwareVersion":"V1.00-2024",)"
              R"("maker":"朗明电子","protocolVersion":"V1.0"})"
              "\n",
              streams.out);
}

TEST_F(CommandsTest, SettingsResetAndCalibrationSendTheConsolesFramesAndTellTheOutcome) {
    const struct {
        const char* line;
        RequestFrame request;
        bool echoed;
        const char* out;
    } cases[] = {
        {"p set address 2", SetStationAddressRequest(1, 2), true,
         "station address set to 2; the unit answers there now\n"},
        {"p set baud 19200 --address 3", SetLineSpeedRequest(3, 19200), true,
         "line speed set to 19200 bit/s; the unit answers at that speed now\n"},
        {"p set interval 250", SetSampleIntervalRequest(1, 250), true, "sampling interval set to 250\n"},
        // Options before the command, in either spelling.
        {"p --address=7 calibrate 4 600V/600V", CalibrateRequest(7, 4, 8), true, "channel 4 calibrated at 600V/600V\n"},
        {"p reset", SoftwareResetRequest(1), false, "reset sent to station 1\n"},
    };
    for (const auto& c : cases) {
        line.writes.clear();
        streams.out.clear();
        if (c.echoed) Answer(9600, c.request, Echo(c.request));
        EXPECT_EQ(0, Run(c.line)) << c.line;
        EXPECT_EQ(std::vector<std::vector<uint8_t>>{Echo(c.request)}, line.writes) << c.line;
        EXPECT_EQ(c.out, streams.out) << c.line;
    }
    // The reset awaited nothing.
    EXPECT_EQ(0u, elapsedMs);
    EXPECT_TRUE(streams.err.empty());
}

TEST_F(CommandsTest, FailuresEndWithTheirCodeAndOneLineAndNothingOnStandardOutput) {
    std::vector<uint8_t> corrupt = RegistersReply(1, {0, 0, 0, 0});
    corrupt.back() ^= 0x01;
    Answer(9600, ReadFourVoltagesRequest(2), corrupt);
    RequestFrame interval = SetSampleIntervalRequest(1, 10);
    std::vector<uint8_t> badEcho = Echo(interval);
    badEcho.back() ^= 0x01;
    Answer(9600, interval, badEcho);
    Answer(9600, ReadSettingsRequest(4), SettingsReply(4, 9600, 10));
    const struct {
        const char* line;
        int code;
        const char* err;
    } cases[] = {
        {"p read", 4, "no reply from station 1 at 9600 bit/s"},
        {"p read --address 2", 5, "the reply of station 2 failed its CRC check"},
        {"p set interval 10", 5, "setting failed: the reply of station 1 failed its CRC check"},
        {"p --baud 4800 calibrate 1 3V/3V", 4, "calibration failed: no reply from station 1 at 4800 bit/s"},
        // The settings came, the texts did not: no half answer.
        {"p info --address 4", 4, "no reply from station 4 at 9600 bit/s"},
        {"missing read", 3, "cannot open missing at 9600 bit/s: missing, or held by another program"},
        {"LPT1 read", 2, "LPT1 names no serial port (give COMn or n, n from 1 to 1024)"},
    };
    for (const auto& c : cases) {
        streams.err.clear();
        EXPECT_EQ(c.code, Run(c.line)) << c.line;
        EXPECT_EQ(std::string("lumeric-cli: ") + c.err + "\n", streams.err) << c.line;
    }
    EXPECT_TRUE(streams.out.empty());
}

TEST_F(CommandsTest, VerboseShowsEveryFrameOnStandardError) {
    const RequestFrame request = SetSampleIntervalRequest(1, 10);
    Answer(9600, request, Echo(request));
    EXPECT_EQ(0, Run("p set interval 10 --verbose"));
    EXPECT_EQ("发: 01 06 00 03 00 0A F9 CD\n读: 01 06 00 03 00 0A F9 CD\n", streams.err);
}

TEST_F(CommandsTest, PollTakesTheListInTurnOnePerPeriodAndRecordsEveryPollOnTheDisk) {
    Answer(9600, ReadFourVoltagesRequest(1), RegistersReply(1, {3456, 3457, 3458, 3459}));
    EXPECT_EQ(0, Run("p poll --addresses 1-2 --count 2 --period 600 --csv rec.csv"));
    // Station 2 is silent for a second; the poll after it follows at once.
    EXPECT_EQ("2024-03-05T00:00:01.005  station 1  3.456  3.457  3.458  3.459\n"
              "2024-03-05T00:00:02.600  station 2  communication fault\n"
              "2024-03-05T00:00:02.605  station 1  3.456  3.457  3.458  3.459\n"
              "2024-03-05T00:00:04.200  station 2  communication fault\n",
              streams.out);
    EXPECT_EQ("rec.csv", recordFile.path);
    EXPECT_EQ(PollRecordHead() +
                  "2024-03-05T00:00:01.005,1,3.456,3.457,3.458,3.459,正常,1,0\r\n"
                  "2024-03-05T00:00:02.600,2,,,,,通讯故障,0,1\r\n"
                  "2024-03-05T00:00:02.605,1,3.456,3.457,3.458,3.459,正常,2,0\r\n"
                  "2024-03-05T00:00:04.200,2,,,,,通讯故障,0,2\r\n",
              recordFile.bytes);
}

TEST_F(CommandsTest, ARecordFileThatCannotBeWrittenEndsThePoll) {
    recordFile.createError = FileError{FileFailure::FolderMissing, 3};
    EXPECT_EQ(7, Run("p poll --addresses 1 --csv x/rec.csv"));
    EXPECT_EQ("lumeric-cli: cannot write x/rec.csv: its folder does not exist\n", streams.err);
    EXPECT_TRUE(line.writes.empty());

    recordFile.createError = {};
    recordFile.failingAppend = 1;  // the title line goes in, the first poll's line does not
    streams.err.clear();
    EXPECT_EQ(7, Run("p poll --addresses 1 --csv rec.csv"));
    EXPECT_EQ("lumeric-cli: cannot write rec.csv: the disk is full\n", streams.err);
    EXPECT_EQ(1u, line.writes.size());
}

class ScanTest : public CliTest {
protected:
    void Unit(uint8_t address, uint32_t baud, const std::string& name) {
        Answer(baud, ReadSettingsRequest(address), SettingsReply(address, static_cast<uint16_t>(baud), 10));
        if (!name.empty()) Answer(baud, ReadIdentityRequest(address), IdentityReply({AsBytes(name)}));
    }
};

TEST_F(ScanTest, FindsEveryUnitAtEverySpeedAndNamesWhatItCan) {
    Unit(1, 9600, "VM4-a");
    Unit(7, 19200, "VM4-b");
    Unit(3, 9600, "");  // gives its settings, not its name
    EXPECT_EQ(0, Run("p scan --addresses 1-8 --bauds 9600,19200"));
    EXPECT_EQ("address  speed  interval  name\n"
              "1        9600   10        VM4-a\n"
              "3        9600   10        \n"
              "7        19200  10        VM4-b\n",
              streams.out);
    ASSERT_EQ(2u, line.opened.size());
    EXPECT_EQ(19200u, line.opened[1].baudRate);

    streams.out.clear();
    EXPECT_EQ(0, Run("p scan --addresses 1,7 --bauds 19200 --json"));
    EXPECT_EQ(R"([{"address":7,"baud":19200,"interval":10,"name":"VM4-b"}])"
              "\n",
              streams.out);
    streams.out.clear();
    EXPECT_EQ(0, Run("p scan --addresses 2 --bauds 1200"));
    EXPECT_EQ("no unit found\n", streams.out);
    EXPECT_TRUE(streams.err.empty());
}

TEST_F(ScanTest, ASilentStationCostsItsRequestItsFirstReplyCharacterAndATurnaround) {
    const struct {
        const char* bauds;
        uint32_t msPerStation;
    } cases[] = {{"1200", 75 + 100}, {"9600", 10 + 100}, {"19200", 5 + 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(0, Run(std::string("p scan --addresses 1-10 --bauds ") + c.bauds));
        EXPECT_EQ(10 * c.msPerStation, elapsedMs) << c.bauds;
    }
}

TEST_F(ScanTest, AProgressLineRewritesItselfOnATerminalOnly) {
    Unit(2, 9600, "VM4");
    streams.terminal = true;
    EXPECT_EQ(0, Run("p scan --addresses 1-3 --bauds 9600"));
    EXPECT_THAT(streams.err, HasSubstr("\rscanning at 9600 bit/s: station 3 (3 of 3), 1 found  "));
    EXPECT_THAT(streams.err, EndsWith(std::string(72, ' ') + "\r"));
    EXPECT_THAT(streams.out, HasSubstr("2        9600"));
}

}  // namespace
