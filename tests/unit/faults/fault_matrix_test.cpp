// Every operation that talks to a unit against every fault of the line, in
// one table: what the operator sees, how long the window thread is held, and
// that no read reaches past its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "console/console_fixture.h"
#include "format_hex.h"
#include "multiunit/multi_unit_fixture.h"
#include "register_map.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

constexpr uint32_t kBaud = 9600;  // both windows' speed at start
const uint32_t kCharUs = ScriptedInput::CharUs(kBaud);
constexpr uint32_t kAnswerMs = 20;              // a sound unit's pause before it answers
constexpr uint32_t kLongMs = 5000;              // a console exchange's deadline
constexpr uint32_t kShortMs = 1920000 / kBaud;  // the same once reply bytes have come
constexpr uint32_t kPollMs = 1000 + 2 + 70;     // the cycle's wait in 2 ms steps, then its read of 13 bytes
constexpr uint32_t kDrainMs = ModbusExchange::kDrainLimitMs;
constexpr uint32_t kOverrunMs = 10;  // a read under way when a limit passes

// The unit: station 5 at 9600 bit/s sampling every 10, named "AB", 12.34 V on every channel.
uint16_t Register(int number) {
    switch (number) {
    case 0x0001: return 5;
    case 0x0002: return kBaud;
    case 0x0003: return 10;
    case 0x0007: return 0x4142;
    }
    return number >= 0x0040 ? 1234 : 0;
}

// What a sound unit answers: its echo to a write, the registers to a read.
Bytes GoodReply(const Bytes& request) {
    if (request[1] == 0x06) return request;
    const int first = request[2] << 8 | request[3];
    const int count = request[4] << 8 | request[5];
    Bytes reply{request[0], 0x03, static_cast<uint8_t>(2 * count)};
    for (int n = first; n < first + count; ++n) {
        reply.insert(reply.end(), {static_cast<uint8_t>(Register(n) >> 8), static_cast<uint8_t>(Register(n))});
    }
    return WithCrc(reply);
}

// Bytes no unit meant: what a line picks up.
Bytes Garbage(size_t count) {
    Bytes bytes(count);
    uint32_t state = 12345;
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    return bytes;
}

uint64_t WireMs(size_t bytes) { return (bytes * kCharUs + 999) / 1000; }
void Answer(ScriptedInput& line, uint64_t atMs, const Bytes& bytes) { line.Arrive(atMs + kAnswerMs, bytes, kCharUs); }

// A fault scripts the line from `atMs`, when the request is written, given
// what a sound unit would answer and the time by which a reply must be in.
// A fault of the line itself is there from before the operation instead.
using Script = void (*)(ScriptedInput& line, uint64_t atMs, Bytes reply, uint32_t replyByMs);
struct Fault {
    const char* name;
    // What the operator sees after each operation, in the order of kOperations:
    // G the values shown or the success told; T "通讯超时!"; C the failed CRC
    // told ("数据验证错误!", "设置失败", "校准失败"); t and c the same from the
    // information's second exchange, after the first filled in the settings;
    // F the fault marks in the unit's row.
    const char* expected;
    Script script;
    bool ofTheLine = false;
};

const Fault kFaults[] = {
    {"sound unit", "GGGGGGGGGG", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) { Answer(l, t, r); }},
    {"silent unit", "TTTtTTTGTF", [](ScriptedInput&, uint64_t, Bytes, uint32_t) {}},
    {"bad CRC", "CCCcCCCGCF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         r.back() ^= 0xFF;
         Answer(l, t, r);
     }},
    {"late, in time", "GGGGGGGGGG", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t by) {
         l.Arrive(t + by - 20 - WireMs(r.size()), r, kCharUs);
     }},
    {"late, too late", "TTTtTTTGTF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t by) {
         l.Arrive(t + by + 20, r, kCharUs);
     }},
    {"cut short", "TTTtTTTGTF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         r.resize(r.size() - 3);
         Answer(l, t, r);
     }},
    {"trailing bytes", "GGGGGGGGGG", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         r.insert(r.end(), {0x00, 0xFF, 0x55});
         Answer(l, t, r);
     }},
    {"chunks with gaps", "GGGGGGGGGG", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         const size_t third = r.size() / 3 + 1;
         uint64_t atUs = (t + kAnswerMs) * 1000;
         for (size_t from = 0; from < r.size(); from += third) {
             const Bytes chunk(r.begin() + from, r.begin() + std::min(r.size(), from + third));
             l.ArriveUs(atUs, chunk, kCharUs);
             atUs += chunk.size() * kCharUs + 25000;
         }
     }},
    {"noise first", "CCCcCCCGCF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         l.Arrive(t + 5, {0xFF, 0x00, 0x55}, kCharUs);
         Answer(l, t, r);
     }},
    {"another station", "GGGGGGGGGG", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         r.resize(r.size() - 2);
         r[0] = 7;
         Answer(l, t, WithCrc(r));
     }},
    // Under way for a while, and faster than the port is read, so a drain
    // never finds the line empty.
    {"never silent", "CCCCCCCGCF", [](ScriptedInput& l, uint64_t t, Bytes, uint32_t) {
         l.Arrive(t - 500, Garbage(16000), kCharUs);
         l.readCostUs = 2 * kCharUs;
     }, true},
    {"hung up", "TTTtTTTGTF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         r.resize(r.size() / 2);
         Answer(l, t, r);
         l.HangUpAt(t + kAnswerMs + WireMs(r.size()));
     }},
    // Its characters come garbled, each with a framing error.
    {"another speed", "TTTtTTTGTF", [](ScriptedInput& l, uint64_t t, Bytes r, uint32_t) {
         l.Arrive(t + kAnswerMs, Garbage(r.size() / 2));
         l.FlagLineErrorAt(t + kAnswerMs);
     }},
};

struct Cell {
    ConsoleRig console;
    MultiUnitRig cycle;
};

std::string Sent(ConsoleRig& r) { return "发:" + FormatHex(r.port.writes.back().data(), r.port.writes.back().size()); }
bool IsReplyLine(const std::string& line) { return line.rfind("读", 0) == 0; }

// A read as its log tells it, oldest line first: the request, the reply in
// `replyLines` lines, the failure if any; `shown`: its values reached the window.
char ReadOutcome(ConsoleRig& r, const Lines& log, size_t replyLines, bool shown) {
    if (log.empty() || log[0] != Sent(r)) return '?';
    const bool replyLogged = log.size() > replyLines && std::all_of(log.begin() + 1, log.begin() + 1 + replyLines, IsReplyLine);
    if (shown) return log.size() == 1 + replyLines && replyLogged ? 'G' : '?';
    if (log.size() == 2 && log[1] == "通讯超时!") return 'T';
    return log.size() == 2 + replyLines && replyLogged && log.back() == "数据验证错误!" ? 'C' : '?';
}

// A setting or a calibration as its message box and its log tell it.
char Told(ConsoleRig& r, const char* done, const char* failed) {
    const Lines& told = r.window.messages;
    const char outcome = told == Lines{done} ? 'G' : told == Lines{failed} ? 'C' : told == Lines{"通讯超时!"} ? 'T' : '?';
    const size_t lines = outcome == 'T' ? 1 : 2;
    const bool logged = r.Log().size() == lines && r.Log()[0] == Sent(r) && (lines == 1 || IsReplyLine(r.Log()[1]));
    return logged ? outcome : '?';
}

// The operation's lasting effect shows exactly when it succeeded.
char Took(char outcome, bool effect) { return (outcome == 'G') == effect ? outcome : '?'; }

struct Operation {
    const char* name;
    bool onCycle;          // the multi-unit window's port rather than the console's
    size_t faultyRequest;  // which of its requests meets the fault
    uint32_t replyByMs;    // a reply complete this long after its request is in time
    uint32_t holdMs;       // the longest it may hold the window thread
    size_t bufferBytes;    // what its reads may fill
    char (*run)(Cell&);    // runs it and tells what the operator then sees
};

// Both exchanges of the information read: the settings fields fill after a
// good first reply, which alone lets the second request go.
char ReadInformation(Cell& c) {
    ConsoleRig& r = c.console;
    r.OpenPort();
    r.Click(IDC_BTN_READ_INFO);
    const bool filled = r.Text(IDC_EDIT_NEW_ADDRESS) == "5" && r.window.GetComboSelection(IDC_COMBO_DEVICE_BAUD) == 3 &&
                        r.Text(IDC_EDIT_SAMPLE_INTERVAL) == "10";
    const char outcome = ReadOutcome(r, r.Log(), 5, r.Text(IDC_STATIC_DEVICE_NAME) == "AB");
    if (filled != (r.port.writes.size() == 2)) return '?';
    return filled && outcome != 'G' ? static_cast<char>(std::tolower(outcome)) : outcome;
}

constexpr size_t kConsoleBuffer = ModbusExchange::kReadBufferSize;
const Operation kOperations[] = {
    {"read", false, 0, kShortMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.Click(IDC_BTN_READ_VOLTAGE);
         return ReadOutcome(c.console, c.console.Log(), 1, c.console.Text(IDC_STATIC_VOLTAGE) == "12.34V");
     }},
    {"tick", false, 0, kShortMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         ConsoleRig& r = c.console;
         r.OpenPort();
         r.StartRun();
         r.console.OnTimer();
         const std::string counts = r.Text(IDC_STATIC_OK_COUNT) + "/" + r.Text(IDC_STATIC_FAIL_COUNT);
         const Lines oldestFirst(r.Log().rbegin(), r.Log().rend());
         const char outcome = ReadOutcome(r, oldestFirst, 1, r.Text(IDC_STATIC_VOLTAGE) == "12.34V");
         return counts == "1/0" || counts == "0/1" ? Took(outcome, counts == "1/0") : '?';
     }},
    {"information, 1st", false, 0, kShortMs, 2 * kLongMs + kDrainMs, kConsoleBuffer, ReadInformation},
    {"information, 2nd", false, 1, kShortMs, 2 * kLongMs + kDrainMs, kConsoleBuffer, ReadInformation},
    {"set address", false, 0, kShortMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.Type(IDC_EDIT_NEW_ADDRESS, "2");
         c.console.Click(IDC_BTN_SET_ADDRESS);
         return Took(Told(c.console, "设置成功", "设置失败"), c.console.Text(IDC_EDIT_ADDRESS) == "2");
     }},
    {"set speed", false, 0, kShortMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, 3);
         c.console.Click(IDC_BTN_SET_BAUD);
         return Took(Told(c.console, "设置成功", "设置失败"), c.console.port.opened.size() == 2);
     }},
    {"set interval", false, 0, kShortMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.Type(IDC_EDIT_SAMPLE_INTERVAL, "10");
         c.console.Click(IDC_BTN_SET_SAMPLE_INTERVAL);
         return Told(c.console, "设置成功", "设置失败");
     }},
    {"reset", false, 0, kShortMs, kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.Click(IDC_BTN_RESET);
         return c.console.Log() == Lines{Sent(c.console)} && c.console.window.messages.empty() ? 'G' : '?';
     }},
    {"calibrate", false, 0, kLongMs, kLongMs + kDrainMs, kConsoleBuffer, [](Cell& c) {
         c.console.OpenPort();
         c.console.window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 1);
         c.console.Click(IDC_BTN_CAL_20V_3V);
         return Told(c.console, "校准成功", "校准失败");
     }},
    {"poll", true, 0, kPollMs, kPollMs, kFourVoltagesReplyLength, [](Cell& c) {
         c.cycle.Start("1", "1");
         c.cycle.Tick();
         const FakeMultiUnitWindow& mu = c.cycle.mu;
         const Lines row = {mu.Cell(kBat1, 0, 1), mu.Cell(kBat2, 0, 0),   mu.Cell(kBat3, 0, 0),
                            mu.Cell(kBat4, 0, 0), mu.Cell(kCounts, 0, 0), mu.Cell(kCounts, 0, 1)};
         if (row == Lines{"1.234", "1.234", "1.234", "1.234", "1", "0"}) return 'G';
         return row == Lines{"通讯故障", "——", "——", "——", "0", "1"} ? 'F' : '?';
     }},
};

}  // namespace

TEST(FaultMatrix, EveryOperationAgainstEveryFaultOfTheLine) {
    for (const Fault& fault : kFaults) {
        ASSERT_EQ(std::size(kOperations), std::strlen(fault.expected)) << fault.name;
        for (size_t i = 0; i < std::size(kOperations); ++i) {
            const Operation& op = kOperations[i];
            SCOPED_TRACE(std::string(fault.name) + " against " + op.name);
            Cell cell;
            VirtualClock& clock = op.onCycle ? cell.cycle.clock : cell.console.clock;
            ScriptedInput& line = op.onCycle ? static_cast<ScriptedInput&>(cell.cycle.line) : cell.console.port;
            size_t requests = 0;
            const auto answer = [&](const Bytes& request) {
                const uint64_t nowMs = clock.NowUs() / 1000;
                if (requests++ != op.faultyRequest) return Answer(line, nowMs, GoodReply(request));
                if (!fault.ofTheLine) fault.script(line, nowMs, GoodReply(request), op.replyByMs);
            };
            cell.console.port.onWrite = answer;
            cell.cycle.line.units = nullptr;
            cell.cycle.line.onWrite = [&] { answer(cell.cycle.line.writes.back()); };
            if (fault.ofTheLine) fault.script(line, clock.NowUs() / 1000, {}, 0);

            const uint64_t startUs = clock.NowUs();
            EXPECT_EQ(fault.expected[i], op.run(cell));
            EXPECT_LE(clock.NowUs() - startUs, uint64_t{op.holdMs + kOverrunMs} * 1000) << "window thread held";
            EXPECT_LE(line.ReadExtent(), op.bufferBytes) << "a read reached past its buffer";
        }
    }
}
