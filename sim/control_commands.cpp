#include "control_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>

#include "baud.h"
#include "format_hex.h"

namespace {
constexpr uint32_t kMaxStationAddress = 247;

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

bool ParseNumber(const std::string& word, uint32_t maximum, uint32_t& value) {
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long parsed = std::strtoul(word.c_str(), nullptr, 10);
    if (parsed > maximum) return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseHexBytes(const std::string& word, std::vector<uint8_t>& bytes) {
    if (word.size() % 2 != 0 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    bytes.clear();
    for (size_t i = 0; i < word.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::strtoul(word.substr(i, 2).c_str(), nullptr, 16)));
    }
    return true;
}

bool ParseIdentityText(const std::string& word, IdentityText& text) {
    if (word == "name")
        text = IdentityText::Name;
    else if (word == "swversion")
        text = IdentityText::SoftwareVersion;
    else if (word == "maker")
        text = IdentityText::Maker;
    else if (word == "protocol")
        text = IdentityText::ProtocolVersion;
    else
        return false;
    return true;
}

std::string HexNoSpaces(const std::vector<uint8_t>& bytes) {
    std::string hex = FormatHex(bytes.data(), bytes.size());
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    return hex;
}

std::string Ok(const std::string& detail = "") { return detail.empty() ? "ok\n" : "ok " + detail + "\n"; }
std::string Error(const std::string& why) { return "error " + why + "\n"; }
}  // namespace

std::string ControlCommands::Execute(const std::string& line, bool& quit) {
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) return Error("empty command");
    const std::string& command = words[0];
    if (command == "add") return Add(words);
    if (command == "set") return Set(words);
    if (command == "fault") return SetFault(words);
    if (command == "get") return Get(words);
    if (command == "log" && words.size() == 1) return Log();
    if (command == "clearlog" && words.size() == 1) return ClearLog();
    if (command == "lastreplyend" && words.size() == 1) return LastReplyEnd();
    if (command == "quit" && words.size() == 1) {
        quit = true;
        return Ok();
    }
    return Error("unknown command: " + line);
}

std::string ControlCommands::Add(const std::vector<std::string>& words) {
    uint32_t address = 0;
    uint32_t baud = 0;
    if (words.size() != 3 || !ParseNumber(words[1], kMaxStationAddress, address)) return Error("usage: add ADDR BAUD");
    if (!ParseNumber(words[2], 19200, baud) || !IsUnitBaud(baud))
        return Error("baud must be 1200, 2400, 4800, 9600 or 19200");
    std::lock_guard<std::mutex> lock(m_state.mutex);
    if (m_state.FindUnit(static_cast<uint8_t>(address)) != nullptr) return Error("address in use");
    m_state.units.push_back(MakeDefaultUnit(static_cast<uint8_t>(address), baud));
    return Ok();
}

std::string ControlCommands::Set(const std::vector<std::string>& words) {
    uint32_t address = 0;
    if (words.size() < 4 || !ParseNumber(words[1], 255, address)) return Error("usage: set ADDR WHAT VALUE");
    std::lock_guard<std::mutex> lock(m_state.mutex);
    SimUnit* unit = m_state.FindUnit(static_cast<uint8_t>(address));
    if (unit == nullptr) return Error("no unit at address " + words[1]);
    return SetOnUnit(*unit, words);
}

std::string ControlCommands::SetOnUnit(SimUnit& unit, const std::vector<std::string>& words) {
    const std::string& what = words[2];
    uint32_t value = 0;
    IdentityText text{};
    if (ParseIdentityText(what, text)) {
        std::vector<uint8_t> bytes;
        if (words.size() != 4 || !ParseHexBytes(words[3], bytes)) return Error("text must be hex bytes");
        if (!SetIdentityText(unit, text, bytes)) return Error("text longer than its field");
        return Ok();
    }
    if (what == "voltage" || what == "ramp" || what == "jitter") return SetVoltage(unit, words);
    if (words.size() != 4) return Error("usage: set ADDR WHAT VALUE");
    if (what == "address") {
        if (!ParseNumber(words[3], kMaxStationAddress, value)) return Error("address must be 0-247");
        const SimUnit* holder = m_state.FindUnit(static_cast<uint8_t>(value));
        if (holder != nullptr && holder != &unit) return Error("address in use");
        unit.address = static_cast<uint8_t>(value);
    } else if (what == "baud") {
        if (!ParseNumber(words[3], 19200, value) || !IsUnitBaud(value))
            return Error("baud must be 1200, 2400, 4800, 9600 or 19200");
        unit.baud = value;
    } else if (what == "interval") {
        if (!ParseNumber(words[3], 0xFFFF, value)) return Error("interval must be 0-65535");
        unit.interval = static_cast<uint16_t>(value);
    } else if (what == "delay") {
        if (!ParseNumber(words[3], 60000, value)) return Error("delay must be 0-60000 ms");
        unit.responseDelayMs = value;
    } else {
        return Error("unknown setting: " + what);
    }
    return Ok();
}

std::string ControlCommands::SetVoltage(SimUnit& unit, const std::vector<std::string>& words) {
    const std::string& what = words[2];
    const size_t wordCount = what == "ramp" ? 6 : 5;
    uint32_t channel = 0;
    uint32_t raw = 0;
    uint32_t seconds = 0;
    if (words.size() != wordCount || !ParseNumber(words[3], 4, channel) || channel == 0 ||
        !ParseNumber(words[4], 0xFFFF, raw) || (what == "ramp" && !ParseNumber(words[5], 86400, seconds))) {
        if (what == "ramp") return Error("usage: set ADDR ramp CH(1-4) RAW(0-65535) SECONDS(0-86400)");
        return Error("usage: set ADDR " + what + " CH(1-4) RAW(0-65535)");
    }
    ChannelMotion& motion = unit.motion[channel - 1];
    uint16_t& level = unit.voltages[channel - 1];
    const uint32_t nowMs = m_state.MsSinceStart();
    if (what == "jitter") {
        motion.jitter = static_cast<uint16_t>(raw);
        return Ok();
    }
    // A new level or ramp starts from where the channel stands now, mid-ramp included.
    if (motion.ramp) level = RampLevel(*motion.ramp, nowMs);
    motion.ramp.reset();
    if (what == "ramp" && seconds > 0) {
        motion.ramp = VoltageRamp{level, static_cast<uint16_t>(raw), nowMs, seconds * 1000};
    } else {
        level = static_cast<uint16_t>(raw);
    }
    return Ok();
}

std::string ControlCommands::SetFault(const std::vector<std::string>& words) {
    uint32_t address = 0;
    Fault fault;
    if (words.size() < 3 || !ParseNumber(words[1], 255, address)) return Error("usage: fault ADDR KIND [ARGS]");
    if (!ParseFault({words.begin() + 2, words.end()}, fault)) return Error("unknown fault: " + words[2]);
    {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        SimUnit* unit = m_state.FindUnit(static_cast<uint8_t>(address));
        if (unit == nullptr) return Error("no unit at address " + words[1]);
        unit->fault = fault;
    }
    // A babble starts or stops now, not at the next byte from the host.
    m_state.WakeLine();
    return Ok();
}

std::string ControlCommands::Get(const std::vector<std::string>& words) {
    uint32_t address = 0;
    if (words.size() != 2 || !ParseNumber(words[1], 255, address)) return Error("usage: get ADDR");
    std::lock_guard<std::mutex> lock(m_state.mutex);
    const SimUnit* unit = m_state.FindUnit(static_cast<uint8_t>(address));
    if (unit == nullptr) return Error("no unit at address " + words[1]);
    std::ostringstream reply;
    reply << "address=" << unsigned{unit->address} << " baud=" << unit->baud << " interval=" << unit->interval
          << " resets=" << unit->resets << " calibrations=";
    for (size_t i = 0; i < unit->calibrations.size(); ++i) {
        char code[8];
        std::snprintf(code, sizeof code, "%04X", unit->calibrations[i]);
        reply << (i > 0 ? "," : "") << code;
    }
    // The levels now, mid-ramp included; the jitter is the replies' alone.
    const uint32_t nowMs = m_state.MsSinceStart();
    for (size_t channel = 0; channel < unit->voltages.size(); ++channel) {
        const auto& ramp = unit->motion[channel].ramp;
        reply << (channel == 0 ? " voltage=" : ",") << (ramp ? RampLevel(*ramp, nowMs) : unit->voltages[channel]);
    }
    return Ok(reply.str());
}

std::string ControlCommands::Log() {
    std::lock_guard<std::mutex> lock(m_state.mutex);
    std::string reply;
    for (const RxRecord& record : m_state.rxLog) {
        reply += "rx " + std::to_string(record.msSinceStart) + " " + std::to_string(record.hostBaud) + " " +
                 HexNoSpaces(record.bytes) + "\n";
    }
    return reply + Ok(std::to_string(m_state.rxLog.size()));
}

std::string ControlCommands::ClearLog() {
    std::lock_guard<std::mutex> lock(m_state.mutex);
    m_state.rxLog.clear();
    return Ok();
}

std::string ControlCommands::LastReplyEnd() {
    std::lock_guard<std::mutex> lock(m_state.mutex);
    return Ok(std::to_string(m_state.lastReplyEndUs));
}
