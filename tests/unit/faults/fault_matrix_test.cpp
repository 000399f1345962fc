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
uint16_t Register(int n) { return n == 1 ? 5 : n == 2 ? kBaud : n == 3 ? 10 : n == 7 ? 0x4142 : n >= 0x40 ? 1234 : 0; }

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

// The line from the moment a request is written: what a sound unit would
// answer to it, and the time by which a reply must be in.
struct Wire {
    ScriptedInput& line;
    uint64_t atMs;
    Bytes reply;
    uint32_t replyByMs;
    // Bytes from the unit, at its pace, `afterMs` after the request.
    void Answer(const Bytes& bytes, uint64_t afterMs = kAnswerMs) { line.Arrive(atMs + afterMs, bytes, kCharUs); }
};

struct Fault {
    const char* name;
    // What the operator sees after each operation, in the order of kOperations:
    // G the values shown or the success told; T "通讯超时!"; C the failed CRC
    // told ("数据验证错误!", "设置失败", "校准失败"); t and c the same from the
    // information's second exchange, after the first filled in the settings;
    // F the fault marks in the unit's row.
    const char* expected;
    void (*script)(Wire& wire);
    // A fault of the line itself, there from before the operation, rather
    // than of the reply to one request.
    bool ofTheLine = false;
};

const Fault kFaults[] = {
    {"sound unit", "GGGGGGGGGG", [](Wire& w) { w.Answer(w.reply); }},
    {"silent unit", "TTTtTTTGTF", [](Wire&) {}},
    {"bad CRC", "CCCcCCCGCF",
     [](Wire& w) {
         w.reply.back() ^= 0xFF;
         w.Answer(w.reply);
     }},
    {"late, in time", "GGGGGGGGGG", [](Wire& w) { w.Answer(w.reply, w.replyByMs - 20 - WireMs(w.reply.size())); }},
    {"late, too late", "TTTtTTTGTF", [](Wire& w) { w.Answer(w.reply, w.replyByMs + 20); }},
    {"cut short", "TTTtTTTGTF",
     [](Wire& w) {
         w.Answer({w.reply.begin(), w.reply.end() - 3});
     }},
    {"trailing bytes", "GGGGGGGGGG",
     [](Wire& w) {
         w.reply.insert(w.reply.end(), {0, 0xFF, 0x55});
         w.Answer(w.reply);
     }},
    {"chunks with gaps", "GGGGGGGGGG",
     [](Wire& w) {  // three, 25 ms apart
         const size_t third = w.reply.size() / 3 + 1;
         for (size_t k = 0, from = 0; from < w.reply.size(); ++k, from += third) {
             const Bytes chunk(w.reply.begin() + from, w.reply.begin() + std::min(w.reply.size(), from + third));
             w.line.ArriveUs((w.atMs + kAnswerMs + 25 * k) * 1000 + from * kCharUs, chunk, kCharUs);
         }
     }},
    {"noise first", "CCCcCCCGCF",
     [](Wire& w) {
         w.Answer({0xFF, 0, 0x55}, 5);
         w.Answer(w.reply);
     }},
    {"another station", "GGGGGGGGGG",
     [](Wire& w) {
         w.reply.resize(w.reply.size() - 2);
         w.reply[0] = 7;
         w.Answer(WithCrc(w.reply));
     }},
    // Under way for a while, and faster than the port is read, so a drain
    // never finds the line empty.
    {"never silent", "CCCCCCCGCF",
     [](Wire& w) {
         w.line.Arrive(w.atMs - 500, Garbage(16000), kCharUs);
         w.line.readCostUs = 2 * kCharUs;
     },
     true},
    {"hung up", "TTTtTTTGTF",
     [](Wire& w) {
         const size_t half = w.reply.size() / 2;
         w.Answer({w.reply.begin(), w.reply.begin() + half});
         w.line.HangUpAt(w.atMs + kAnswerMs + WireMs(half));
     }},
    // Its characters come garbled, each with a framing error.
    {"another speed", "TTTtTTTGTF",
     [](Wire& w) {
         w.line.Arrive(w.atMs + kAnswerMs, Garbage(w.reply.size() / 2));
         w.line.FlagLineErrorAt(w.atMs + kAnswerMs);
     }},
};

std::string Sent(ConsoleRig& r) { return "发:" + FormatHex(r.port.writes.back().data(), r.port.writes.back().size()); }
bool IsReplyLine(const std::string& line) { return line.rfind("读", 0) == 0; }

// A read as its log tells it, oldest line first: the request, the reply in
// `replyLines` lines, the failure if any; `shown`: its values reached the window.
char ReadOutcome(ConsoleRig& r, const Lines& log, size_t replyLines, bool shown) {
    if (log.empty() || log[0] != Sent(r)) return '?';
    const bool replyLogged =
        log.size() > replyLines && std::all_of(log.begin() + 1, log.begin() + 1 + replyLines, IsReplyLine);
    if (shown) return log.size() == 1 + replyLines && replyLogged ? 'G' : '?';
    if (log.size() == 2 && log[1] == "通讯超时!") return 'T';
    return log.size() == 2 + replyLines && replyLogged && log.back() == "数据验证错误!" ? 'C' : '?';
}

// A setting or a calibration as its message box and its log tell it.
char Told(ConsoleRig& r, const char* done, const char* failed) {
    const Lines& told = r.window.messages;
    const char outcome = told == Lines{done}          ? 'G'
                         : told == Lines{failed}      ? 'C'
                         : told == Lines{"通讯超时!"} ? 'T'
                                                      : '?';
    const size_t lines = outcome == 'T' ? 1 : 2;
    const bool logged = r.Log().size() == lines && r.Log()[0] == Sent(r) && (lines == 1 || IsReplyLine(r.Log()[1]));
    return logged ? outcome : '?';
}

// The operation's lasting effect shows exactly when it succeeded.
char Took(char outcome, bool effect) { return (outcome == 'G') == effect ? outcome : '?'; }

struct Operation {
    const char* name;
    bool onCycle;          // on a running cycle's port rather than the open console's
    size_t faultyRequest;  // which of its requests meets the fault
    uint32_t replyByMs;    // a reply complete this long after its request is in time
    uint32_t holdMs;       // the longest it may hold the window thread
    // Runs it and tells what the operator then sees.
    char (*run)(ConsoleRig& console, MultiUnitRig& cycle);
};

// Both exchanges of the information read: the settings fields fill after a
// good first reply, which alone lets the second request go, and stay filled.
char ReadInformation(ConsoleRig& r, MultiUnitRig&) {
    r.Type(IDC_STATIC_DEVICE_NAME, "old");  // a failed read leaves the texts shown before
    r.Click(IDC_BTN_READ_INFO);
    const bool filled = r.Text(IDC_EDIT_NEW_ADDRESS) == "5" && r.window.GetComboSelection(IDC_COMBO_DEVICE_BAUD) == 3 &&
                        r.Text(IDC_EDIT_SAMPLE_INTERVAL) == "10";
    const std::string name = r.Text(IDC_STATIC_DEVICE_NAME);
    if (name != "AB" && name != "old") return '?';
    const char outcome = ReadOutcome(r, r.Log(), 5, name == "AB");
    if (filled != (r.port.writes.size() == 2)) return '?';
    return filled && outcome != 'G' ? static_cast<char>(std::tolower(outcome)) : outcome;
}

const Operation kOperations[] = {
    {"read", false, 0, kShortMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.Click(IDC_BTN_READ_VOLTAGE);
         return ReadOutcome(r, r.Log(), 1, r.Text(IDC_STATIC_VOLTAGE) == "12.34V");
     }},
    {"tick", false, 0, kShortMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.StartRun();
         r.console.OnTimer();
         const std::string counts = r.Text(IDC_STATIC_OK_COUNT) + "/" + r.Text(IDC_STATIC_FAIL_COUNT);
         const char outcome =
             ReadOutcome(r, {r.Log().rbegin(), r.Log().rend()}, 1, r.Text(IDC_STATIC_VOLTAGE) == "12.34V");
         return counts == "1/0" || counts == "0/1" ? Took(outcome, counts == "1/0") : '?';
     }},
    {"information, 1st", false, 0, kShortMs, 2 * kLongMs + kDrainMs, ReadInformation},
    {"information, 2nd", false, 1, kShortMs, 2 * kLongMs + kDrainMs, ReadInformation},
    {"set address", false, 0, kShortMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.Type(IDC_EDIT_NEW_ADDRESS, "2");
         r.Click(IDC_BTN_SET_ADDRESS);
         return Took(Told(r, "设置成功", "设置失败"), r.Text(IDC_EDIT_ADDRESS) == "2");
     }},
    {"set speed", false, 0, kShortMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, 3);
         r.Click(IDC_BTN_SET_BAUD);
         return Took(Told(r, "设置成功", "设置失败"), r.port.opened.size() == 2);
     }},
    {"set interval", false, 0, kShortMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.Type(IDC_EDIT_SAMPLE_INTERVAL, "10");
         r.Click(IDC_BTN_SET_SAMPLE_INTERVAL);
         return Told(r, "设置成功", "设置失败");
     }},
    {"reset", false, 0, kShortMs, kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.Click(IDC_BTN_RESET);
         return r.Log() == Lines{Sent(r)} && r.window.messages.empty() ? 'G' : '?';
     }},
    {"calibrate", false, 0, kLongMs, kLongMs + kDrainMs,
     [](ConsoleRig& r, MultiUnitRig&) {
         r.window.SetComboSelection(IDC_COMBO_CAL_CHANNEL, 1);
         r.Click(IDC_BTN_CAL_20V_3V);
         return Told(r, "校准成功", "校准失败");
     }},
    {"poll", true, 0, kPollMs, kPollMs,
     [](ConsoleRig&, MultiUnitRig& m) {
         m.Tick();
         const Lines row = {m.mu.Cell(kBat1, 0, 1), m.mu.Cell(kBat2, 0, 0),   m.mu.Cell(kBat3, 0, 0),
                            m.mu.Cell(kBat4, 0, 0), m.mu.Cell(kCounts, 0, 0), m.mu.Cell(kCounts, 0, 1)};
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
            ConsoleRig console;
            MultiUnitRig cycle;
            VirtualClock& clock = op.onCycle ? cycle.clock : console.clock;
            ScriptedInput& line = op.onCycle ? static_cast<ScriptedInput&>(cycle.line) : console.port;
            size_t requests = 0;
            const auto answer = [&](const Bytes& request) {
                const uint64_t nowMs = clock.NowUs() / 1000;
                Wire wire{line, nowMs, GoodReply(request), op.replyByMs};
                if (requests++ != op.faultyRequest) return wire.Answer(wire.reply);
                if (!fault.ofTheLine) fault.script(wire);
            };
            console.port.onWrite = answer;
            cycle.line.units = nullptr;
            cycle.line.onWrite = [&] { answer(cycle.line.writes.back()); };
            if (op.onCycle) {
                cycle.Start("1", "1");
            } else {
                console.OpenPort();
            }
            Wire before{line, clock.NowUs() / 1000, {}, 0};
            if (fault.ofTheLine) fault.script(before);

            const uint64_t startUs = clock.NowUs();
            EXPECT_EQ(fault.expected[i], op.run(console, cycle));
            EXPECT_LE(clock.NowUs() - startUs, uint64_t{op.holdMs + kOverrunMs} * 1000) << "window thread held";
            const size_t buffer = op.onCycle ? kFourVoltagesReplyLength : ModbusExchange::kReadBufferSize;
            EXPECT_LE(line.ReadExtent(), buffer) << "a read reached past its buffer";
        }
    }
}
