#include "command_line.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calibration_points.h"
#include "help_text.h"
#ifdef LUMERIC_MQTT_GATEWAY
#include "mqtt_poll.h"
#endif
#include "setting_limits.h"

namespace {

// The items of a comma-separated list, empty ones included ("1,,2" has three).
std::vector<std::string> CommaItems(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    do {
        const size_t comma = std::min(text.find(',', start), text.size());
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    } while (start <= text.size());
    return items;
}

// Stations a request may go to: the Modbus range, 0 included, since the
// console may give a unit that address.
constexpr int64_t kLowestStation = 0;
constexpr int64_t kHighestStation = 247;
constexpr int64_t kShortestPeriodMs = 500;  // the multi-unit window's shortest period
constexpr int64_t kLongestPeriodMs = 3600000;
constexpr int64_t kMostPasses = 2147483647;

constexpr unsigned Bit(Command command) { return 1u << static_cast<unsigned>(command); }
constexpr unsigned kOneUnit = Bit(Command::Read) | Bit(Command::Info) | Bit(Command::SetAddress) |
                              Bit(Command::SetBaud) | Bit(Command::SetInterval) | Bit(Command::Reset) |
                              Bit(Command::Calibrate);
constexpr unsigned kEvery = kOneUnit | Bit(Command::Scan) | Bit(Command::Poll);

// Each option, whether it takes a value, and the commands it applies to.
struct OptionRule {
    const char* name;
    bool takesValue;
    unsigned commands;
};
constexpr OptionRule kOptionRules[] = {
    {"--address", true, kOneUnit},
    {"--baud", true, kOneUnit | Bit(Command::Poll)},
    {"--json", false, Bit(Command::Read) | Bit(Command::Info) | Bit(Command::Scan)},
    {"--verbose", false, kEvery},
    {"--scale", true, Bit(Command::Read)},
    {"--addresses", true, Bit(Command::Scan) | Bit(Command::Poll)},
    {"--bauds", true, Bit(Command::Scan)},
    {"--period", true, Bit(Command::Poll)},
    {"--count", true, Bit(Command::Poll)},
    {"--csv", true, Bit(Command::Poll)},
#ifdef LUMERIC_MQTT_GATEWAY
    {"--mqtt", true, Bit(Command::Poll)},
    {"--topic", true, Bit(Command::Poll)},
    {"--spool", true, Bit(Command::Poll)},
    {"--spool-limit", true, Bit(Command::Poll)},
    {"--user", true, Bit(Command::Poll)},
    {"--password", true, Bit(Command::Poll)},
    {"--cafile", true, Bit(Command::Poll)},
    {"--no-discovery", false, Bit(Command::Poll)},
#endif
};

struct GivenOption {
    const OptionRule* rule;
    std::string value;
};

std::optional<Command> CommandNamed(const std::string& word, const std::string& setting) {
    if (word == "read") return Command::Read;
    if (word == "info") return Command::Info;
    if (word == "reset") return Command::Reset;
    if (word == "calibrate") return Command::Calibrate;
    if (word == "scan") return Command::Scan;
    if (word == "poll") return Command::Poll;
    if (word != "set") return std::nullopt;
    if (setting == "address") return Command::SetAddress;
    if (setting == "baud") return Command::SetBaud;
    if (setting == "interval") return Command::SetInterval;
    return std::nullopt;
}

bool IsCommandWord(const std::string& word) { return word == "set" || CommandNamed(word, "").has_value(); }

// A decimal integer, optionally negative, and nothing else. Numbers too long
// to matter come back huge, so that they are out of any range rather than no number.
std::optional<int64_t> ParseInteger(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const size_t first = negative ? 1 : 0;
    if (first == text.size()) return std::nullopt;
    int64_t magnitude = 0;
    for (size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), INT64_C(1) << 40);
    }
    return negative ? -magnitude : magnitude;
}

std::string JoinedRates() {
    std::string text;
    for (uint32_t rate : kBaudRates) text += (text.empty() ? "" : ", ") + std::to_string(rate);
    return text;
}

std::string PointNames() {
    std::string text;
    for (const CalibrationPoint& point : kCalibrationPoints) {
        text += (text.empty() ? "" : ", ") + std::string(point.name);
    }
    return text;
}

class Parser {
public:
    ParsedCommandLine Parse(const std::vector<std::string>& words);

private:
    bool Fail(ExitCode code, const std::string& message) {
        if (!m_failure) m_failure = CliFailure{code, message};
        return false;
    }
    bool Split(const std::vector<std::string>& words);
    bool TakeCommand();
    bool TakeArguments();
    bool TakeOption(const GivenOption& option);
    bool Number(const std::string& what, const std::string& text, int64_t low, int64_t high, int64_t& value);
    bool Rate(const std::string& what, const std::string& text, uint32_t& rate);
    bool AddressList(const std::string& text);
    bool RateList(const std::string& text);

    std::vector<std::string> m_positional;
    std::vector<GivenOption> m_options;
    CliOptions m_result;
    std::optional<CliFailure> m_failure;
};

ParsedCommandLine Parser::Parse(const std::vector<std::string>& words) {
    const auto isHelp = [](const std::string& word) { return word == "--help" || word == "-h"; };
    if (std::any_of(words.begin(), words.end(), isHelp)) {
        const auto named = std::find_if(words.begin(), words.end(), IsCommandWord);
        return HelpRequest{HelpText(named == words.end() ? "" : *named)};
    }
    if (Split(words) && TakeCommand() && TakeArguments()) {
        for (const GivenOption& option : m_options) {
            if (!TakeOption(option)) break;
        }
    }
    if (!m_failure && m_result.command == Command::Poll && m_result.addresses.empty()) {
        Fail(ExitCode::Usage, "poll needs --addresses");
    }
#ifdef LUMERIC_MQTT_GATEWAY
    if (!m_failure) m_failure = CheckGatewayOptions(m_result);
#endif
    if (m_failure) return *m_failure;
    if (m_result.command == Command::Scan) {
        // A scan without lists covers every station but 0 at every speed.
        if (m_result.addresses.empty()) {
            for (int64_t station = 1; station <= kHighestStation; ++station) {
                m_result.addresses.push_back(static_cast<uint8_t>(station));
            }
        }
        if (m_result.bauds.empty()) m_result.bauds.assign(kBaudRates.begin(), kBaudRates.end());
    }
    return m_result;
}

bool Parser::Split(const std::vector<std::string>& words) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) {
            m_positional.push_back(word);
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const auto rule = std::find_if(std::begin(kOptionRules), std::end(kOptionRules),
                                       [&](const OptionRule& r) { return name == r.name; });
        if (rule == std::end(kOptionRules)) return Fail(ExitCode::Usage, "unknown option " + name);
        if (!rule->takesValue) {
            if (equals != std::string::npos) return Fail(ExitCode::Usage, name + " takes no value");
            m_options.push_back({rule, ""});
        } else if (equals != std::string::npos) {
            m_options.push_back({rule, word.substr(equals + 1)});
        } else if (i + 1 < words.size()) {
            m_options.push_back({rule, words[++i]});
        } else {
            return Fail(ExitCode::Usage, name + " needs a value");
        }
    }
    return true;
}

bool Parser::TakeCommand() {
    if (m_positional.empty()) return Fail(ExitCode::Usage, "no PORT and command given (see --help)");
    if (IsCommandWord(m_positional[0])) return Fail(ExitCode::Usage, "the PORT comes before the command");
    if (m_positional.size() < 2) return Fail(ExitCode::Usage, "no command given after " + m_positional[0]);
    m_result.port = m_positional[0];
    const std::string& word = m_positional[1];
    const std::string setting = m_positional.size() > 2 ? m_positional[2] : "";
    const std::optional<Command> command = CommandNamed(word, setting);
    if (!command && word == "set") return Fail(ExitCode::Usage, "set takes address, baud or interval");
    if (!command) return Fail(ExitCode::Usage, "unknown command " + word);
    m_result.command = *command;
    return true;
}

bool Parser::TakeArguments() {
    const std::vector<std::string> arguments(m_positional.begin() + (m_positional[1] == "set" ? 3 : 2),
                                             m_positional.end());
    size_t wanted = 0;
    switch (m_result.command) {
    case Command::SetAddress:
    case Command::SetBaud:
    case Command::SetInterval: wanted = 1; break;
    case Command::Calibrate: wanted = 2; break;
    default: break;
    }
    const std::string& word = m_positional[1];
    if (arguments.size() > wanted && wanted == 0) return Fail(ExitCode::Usage, word + " takes no values");
    if (arguments.size() != wanted) {
        return Fail(ExitCode::Usage, word + (arguments.size() < wanted ? " needs " : " takes only ") +
                                         std::to_string(wanted) + (wanted == 1 ? " value" : " values"));
    }
    int64_t number = 0;
    switch (m_result.command) {
    case Command::SetAddress:
        if (!Number("station address", arguments[0], kLowestStationAddress, kHighestStationAddress, number)) {
            return false;
        }
        m_result.value = static_cast<uint16_t>(number);
        return true;
    case Command::SetInterval:
        if (!Number("sampling interval", arguments[0], kShortestSampleInterval, kLongestSampleInterval, number)) {
            return false;
        }
        m_result.value = static_cast<uint16_t>(number);
        return true;
    case Command::SetBaud: {
        uint32_t rate = 0;
        if (!Rate("line speed", arguments[0], rate)) return false;
        m_result.value = static_cast<uint16_t>(rate);
        return true;
    }
    case Command::Calibrate:
        if (!Number("channel", arguments[0], 1, kCalibrationChannels, number)) return false;
        m_result.channel = static_cast<uint8_t>(number);
        m_result.pointCode = CalibrationPointCode(arguments[1]);
        if (m_result.pointCode == 0) {
            return Fail(ExitCode::Usage,
                        "unknown calibration point " + arguments[1] + " (one of " + PointNames() + ")");
        }
        return true;
    default: return true;
    }
}

bool Parser::TakeOption(const GivenOption& option) {
    const std::string name = option.rule->name;
    if ((option.rule->commands & Bit(m_result.command)) == 0) {
        return Fail(ExitCode::Usage, name + " does not apply to " + m_positional[1]);
    }
    int64_t number = 0;
    if (name == "--address") {
        if (!Number(name, option.value, kLowestStation, kHighestStation, number)) return false;
        m_result.address = static_cast<uint8_t>(number);
    } else if (name == "--baud") {
        return Rate(name, option.value, m_result.baud);
    } else if (name == "--json") {
        m_result.json = true;
    } else if (name == "--verbose") {
        m_result.verbose = true;
    } else if (name == "--scale") {
        if (option.value != "0.01" && option.value != "0.001") {
            return Fail(ExitCode::Usage, "--scale is 0.01 (the console's) or 0.001 (the multi-unit table's)");
        }
        m_result.scale = option.value == "0.01" ? kConsoleScale : kMultiUnitScale;
    } else if (name == "--addresses") {
        return AddressList(option.value);
    } else if (name == "--bauds") {
        return RateList(option.value);
    } else if (name == "--period") {
        if (!Number(name, option.value, kShortestPeriodMs, kLongestPeriodMs, number)) return false;
        m_result.periodMs = static_cast<uint32_t>(number);
    } else if (name == "--count") {
        if (!Number(name, option.value, 1, kMostPasses, number)) return false;
        m_result.passes = static_cast<uint32_t>(number);
    } else if (name == "--csv") {
        if (option.value.empty()) return Fail(ExitCode::Usage, "--csv needs a file name");
        m_result.csvPath = option.value;
    } else if (name == "--mqtt") {
        m_result.gateway.url = option.value;
    } else if (name == "--topic") {
        m_result.gateway.topicPrefix = option.value;
    } else if (name == "--spool") {
        m_result.gateway.spoolDir = option.value;
    } else if (name == "--spool-limit") {
        if (!Number(name, option.value, 1, 1000000000, number)) return false;
        m_result.gateway.spoolLimit = static_cast<uint64_t>(number);
    } else if (name == "--user") {
        m_result.gateway.user = option.value;
    } else if (name == "--password") {
        m_result.gateway.password = option.value;
    } else if (name == "--cafile") {
        m_result.gateway.caFile = option.value;
    } else if (name == "--no-discovery") {
        m_result.gateway.discovery = false;
    }
    return true;
}

bool Parser::Number(const std::string& what, const std::string& text, int64_t low, int64_t high, int64_t& value) {
    const std::optional<int64_t> number = ParseInteger(text);
    if (!number) return Fail(ExitCode::Usage, what + ": " + (text.empty() ? "nothing" : text) + " is no number");
    if (*number < low || *number > high) {
        return Fail(ExitCode::OutOfRange,
                    what + " " + text + " is outside " + std::to_string(low) + "-" + std::to_string(high));
    }
    value = *number;
    return true;
}

bool Parser::Rate(const std::string& what, const std::string& text, uint32_t& rate) {
    int64_t number = 0;
    if (!Number(what, text, INT64_MIN, INT64_MAX, number)) return false;
    const auto known = std::find(kBaudRates.begin(), kBaudRates.end(), number);
    if (known == kBaudRates.end()) {
        return Fail(ExitCode::OutOfRange, what + " " + text + " is not one of " + JoinedRates());
    }
    rate = *known;
    return true;
}

// "1-16", "5" or "1,3,7-9": stations in the order given.
bool Parser::AddressList(const std::string& text) {
    m_result.addresses.clear();
    for (const std::string& item : CommaItems(text)) {
        const size_t dash = item.find('-', 1);
        int64_t first = 0;
        int64_t last = 0;
        if (!Number("--addresses", item.substr(0, dash), kLowestStation, kHighestStation, first)) return false;
        last = first;
        if (dash != std::string::npos &&
            !Number("--addresses", item.substr(dash + 1), kLowestStation, kHighestStation, last)) {
            return false;
        }
        if (last < first) return Fail(ExitCode::Usage, "--addresses: " + item + " runs backwards");
        for (int64_t station = first; station <= last; ++station) {
            m_result.addresses.push_back(static_cast<uint8_t>(station));
        }
    }
    return true;
}

bool Parser::RateList(const std::string& text) {
    m_result.bauds.clear();
    for (const std::string& item : CommaItems(text)) {
        uint32_t rate = 0;
        if (!Rate("--bauds", item, rate)) return false;
        m_result.bauds.push_back(rate);
    }
    return true;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words) { return Parser().Parse(words); }
