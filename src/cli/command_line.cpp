#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calibration_points.h"
#include "config_file.h"
#include "help_text.h"
#ifdef LUMERIC_MQTT_GATEWAY
#include "mqtt_poll.h"
#endif
#include "setting_limits.h"

namespace {

// Stations a request may go to: the Modbus range, 0 included, since the
// console may give a unit that address.
constexpr int64_t kLowestStation = 0;
constexpr int64_t kHighestStation = 247;
constexpr int64_t kLongestPeriodMs = 3600000;
constexpr int64_t kMostPasses = 2147483647;
constexpr int64_t kMostKeptReadings = 1000000000;

// A value the unit does not take. Its own exit code lets a script tell it
// from a command line that is not understood. Thrown from a validator, it
// passes CLI11's own handling (which catches only ValidationError) unchanged.
struct ValueRefused : CLI::ParseError {
    explicit ValueRefused(const std::string& message)
        : CLI::ParseError(message, static_cast<int>(ExitCode::OutOfRange)) {}
};

// `text` as a whole decimal number. Text that is no number is not understood
// (CLI11 names the option in front of the reason); a number outside [low, high],
// one too long for 64 bits included, is refused as naming `what`.
int64_t CheckedNumber(const std::string& what, const std::string& text, int64_t low, int64_t high) {
    int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || stop != end) throw CLI::ValidationError((text.empty() ? "nothing" : text) + " is no number");
    if (error == std::errc::result_out_of_range || number < low || number > high) {
        throw ValueRefused(what + " " + text + " is outside " + std::to_string(low) + "-" + std::to_string(high));
    }
    return number;
}

uint32_t CheckedRate(const std::string& what, const std::string& text) {
    const int64_t number = CheckedNumber(what, text, 0, INT64_MAX);
    const auto known = std::find(kBaudRates.begin(), kBaudRates.end(), number);
    if (known == kBaudRates.end()) {
        std::string rates;
        for (uint32_t rate : kBaudRates) rates += (rates.empty() ? "" : ", ") + std::to_string(rate);
        throw ValueRefused(what + " " + text + " is not one of " + rates);
    }
    return *known;
}

// The option's value must be a whole number in [low, high]. `what` names the
// value in a refusal: an option's own name, or what a positional stands for.
CLI::Validator InRange(const std::string& what, int64_t low, int64_t high) {
    return CLI::Validator(
        [what, low, high](std::string& text) {
            CheckedNumber(what, text, low, high);
            return std::string();
        },
        "");
}

CLI::Validator LineSpeed(const std::string& what) {
    return CLI::Validator(
        [what](std::string& text) {
            CheckedRate(what, text);
            return std::string();
        },
        "");
}

// An option that takes a whole number in [low, high], named in a refusal by its own name.
template <typename T>
CLI::Option* AddNumber(CLI::App& command, const std::string& name, T& target, int64_t low, int64_t high,
                       const std::string& help) {
    CLI::Option* option = command.add_option(name, target, help)->type_name("");
    return option->check(InRange(option->get_name(), low, high));
}

CLI::Option* AddRate(CLI::App& command, const std::string& name, uint32_t& target, const std::string& help) {
    CLI::Option* option = command.add_option(name, target, help);
    return option->check(LineSpeed(option->get_name()));
}

// An option whose value is a list that `parse` reads (and refuses, as the
// validators do) into `target`.
template <typename T, typename Parse>
CLI::Option* AddList(CLI::App& command, const std::string& name, T& target, Parse parse, const std::string& help) {
    return command
        .add_option_function<std::string>(
            name, [&target, parse](const std::string& text) { target = parse(text); }, help)
        ->check(CLI::Validator(
            [parse](std::string& text) {
                parse(text);
                return std::string();
            },
            ""))
        ->type_name("LIST");
}

// The items of a comma-separated list, empty ones included ("1,,2" has three),
// so that a stray comma is refused rather than passed over.
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

// "1-16", "5" or "1,3,7-9": stations in the order given.
std::vector<uint8_t> StationList(const std::string& text) {
    const std::string what = "--addresses";
    std::vector<uint8_t> stations;
    for (const std::string& item : CommaItems(text)) {
        const size_t dash = item.find('-', 1);
        const int64_t first = CheckedNumber(what, item.substr(0, dash), kLowestStation, kHighestStation);
        const int64_t last = dash == std::string::npos
                                 ? first
                                 : CheckedNumber(what, item.substr(dash + 1), kLowestStation, kHighestStation);
        if (last < first) throw CLI::ValidationError(item + " runs backwards");
        for (int64_t station = first; station <= last; ++station) stations.push_back(static_cast<uint8_t>(station));
    }
    return stations;
}

std::vector<uint32_t> RateList(const std::string& text) {
    std::vector<uint32_t> rates;
    for (const std::string& item : CommaItems(text)) rates.push_back(CheckedRate("--bauds", item));
    return rates;
}

// Volts as the alarm limits take them: at most three decimals, within 0.000-655.350.
Millivolts CheckedVolts(const std::string& what, const std::string& text) {
    const VoltsEntry entry = ParseVoltsEntry(text);
    if (!entry.valid || !entry.millivolts) {
        throw CLI::ValidationError((entry.valid ? std::string("nothing") : text) + " is no number of volts");
    }
    if (*entry.millivolts < 0 || *entry.millivolts > kLargestLimitMv) {
        throw ValueRefused(what + " " + text + " is outside 0.000-655.350");
    }
    return *entry.millivolts;
}

// "3.0": one limit for every channel; "3.0,,3.1,3.1": one per channel, an empty one for none.
using ChannelLimits = std::array<std::optional<Millivolts>, kAlarmChannels>;
ChannelLimits ChannelLimitList(const std::string& what, const std::string& text) {
    const std::vector<std::string> items = CommaItems(text);
    if (items.size() != 1 && items.size() != kAlarmChannels) {
        throw CLI::ValidationError(text + " is neither one limit nor four");
    }
    ChannelLimits limits;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const std::string& item = items.size() == 1 ? items.front() : items[channel];
        if (items.size() == 1 || ParseVoltsEntry(item).millivolts) limits[channel] = CheckedVolts(what, item);
    }
    return limits;
}

CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description, Command command,
                     CliOptions& options, const char* details = "") {
    CLI::App* sub = parent.add_subcommand(name, description);
    sub->callback([&options, command] { options.command = command; });
    sub->footer(std::string(details) + help_text::kCommonOptions + help_text::kExitCodes);
    return sub;
}

void AddJson(CLI::App& command, CliOptions& options) {
    command.add_flag("--json", options.json, "the result as one line of JSON");
}

// The program's options: the unit and the line, for every command, before or
// after its name.
struct CommonOptions {
    CLI::Option* address;
    CLI::Option* baud;
};

void AddRead(CLI::App& app, CliOptions& options) {
    CLI::App* read =
        AddCommand(app, "read", "the four voltages, raw and in volts", Command::Read, options, help_text::kRead);
    read->add_option_function<std::string>(
            "--scale",
            [&options](const std::string& text) { options.scale = text == "0.01" ? kConsoleScale : kMultiUnitScale; },
            "volts per count: 0.01 (the console's, default) or 0.001 (the multi-unit table's)")
        ->check(CLI::IsMember({"0.01", "0.001"}));
    AddJson(*read, options);
}

void AddInfo(CLI::App& app, CliOptions& options) {
    CLI::App* info = AddCommand(app, "info",
                                "station address, line speed, sampling interval, device name, "
                                "software version, maker, protocol version",
                                Command::Info, options, help_text::kInfo);
    AddJson(*info, options);
}

void AddSet(CLI::App& app, CliOptions& options) {
    CLI::App* set = app.add_subcommand("set", "write one setting: address N, baud B or interval N");
    set->require_subcommand(1);
    set->footer(std::string(help_text::kSet) + help_text::kCommonOptions + help_text::kExitCodes);
    CLI::App* address =
        AddCommand(*set, "address", "give the unit station address N", Command::SetAddress, options, help_text::kSet);
    address->add_option("N", options.value, "the new station address, 0-15: the unit answers there afterwards")
        ->check(InRange("station address", kLowestStationAddress, kHighestStationAddress))
        ->required();
    CLI::App* baud =
        AddCommand(*set, "baud", "move the unit to line speed B", Command::SetBaud, options, help_text::kSet);
    baud->add_option("B", options.value, "the new line speed: 1200, 2400, 4800, 9600 or 19200")
        ->check(LineSpeed("line speed"))
        ->required();
    CLI::App* interval =
        AddCommand(*set, "interval", "set the sampling interval N", Command::SetInterval, options, help_text::kSet);
    interval->add_option("N", options.value, "the new sampling interval, 1-250")
        ->check(InRange("sampling interval", kShortestSampleInterval, kLongestSampleInterval))
        ->required();
}

void AddCalibrate(CLI::App& app, CliOptions& options) {
    CLI::App* calibrate = AddCommand(app, "calibrate", "calibrate a channel at a point of one of its ranges",
                                     Command::Calibrate, options, help_text::kCalibrate);
    calibrate->add_option("CHANNEL", options.channel, "the channel, 1-4")
        ->check(InRange("channel", 1, kCalibrationChannels))
        ->required();
    std::vector<std::string> points;
    for (const CalibrationPoint& point : kCalibrationPoints) points.emplace_back(point.name);
    calibrate
        ->add_option_function<std::string>(
            "POINT", [&options](const std::string& name) { options.pointCode = CalibrationPointCode(name); },
            "range/voltage, e.g. 20V/3V")
        ->required()
        ->check(CLI::IsMember(points));
}

void AddScan(CLI::App& app, CliOptions& options, const CommonOptions& common) {
    CLI::App* scan = AddCommand(app, "scan", "find every unit on the line, at every speed", Command::Scan, options,
                                help_text::kScan);
    // A scan goes through the stations and the speeds itself.
    scan->excludes(common.address)->excludes(common.baud);
    AddList(*scan, "--addresses", options.addresses, StationList,
            "stations to ask, e.g. 1-16 or 1,5,9-12 (default 1-247)");
    AddList(*scan, "--bauds", options.bauds, RateList, "line speeds to try, e.g. 9600,19200 (default all five)");
    AddJson(*scan, options);
}

#ifdef LUMERIC_MQTT_GATEWAY
// poll --mqtt and what goes with it: none of it without --mqtt. The password
// is the exception: it may come from the environment, which a plain poll
// must not be refused for. CheckGatewayOptions refuses what cannot work together.
void AddGatewayOptions(CLI::App& poll, GatewayOptions& gateway) {
    CLI::Option* mqtt =
        poll.add_option("--mqtt", gateway.url,
                        "also publish every poll to the MQTT broker at URL: mqtt://HOST:PORT or mqtts://HOST:PORT")
            ->type_name("URL");
    poll.add_option("--topic", gateway.topicPrefix, "the topics' prefix (default lumeric/<hostname>-<port name>)")
        ->type_name("PREFIX")
        ->needs(mqtt);
    poll.add_option("--spool", gateway.spoolDir,
                    "keep the readings the broker has not yet acknowledged in DIR, across restarts "
                    "(without it they are kept in memory only)")
        ->type_name("DIR")
        ->needs(mqtt);
    AddNumber(poll, "--spool-limit", gateway.spoolLimit, 1, kMostKeptReadings,
              "readings kept at most; past it the oldest go first (default 1000000)")
        ->type_name("N")
        ->needs(mqtt);
    poll.add_option("--user", gateway.user, "the broker's user name")->type_name("NAME")->needs(mqtt);
    CLI::Option* password =
        poll.add_option("--password", gateway.password,
                        "the user's password; never shown, but other users of the machine can read a program's "
                        "arguments: prefer --password-file or LUMERIC_MQTT_PASSWORD")
            ->type_name("WORD")
            ->envname("LUMERIC_MQTT_PASSWORD");
    poll.add_option("--password-file", gateway.passwordFile, "the user's password, the first line of FILE")
        ->type_name("FILE")
        ->needs(mqtt)
        ->excludes(password)
        ->check(CLI::ExistingFile);
    poll.add_option("--cafile", gateway.caFile,
                    "mqtts: the certificate authorities to trust (default the system's); the broker's "
                    "certificate must also be made for the URL's host")
        ->type_name("FILE")
        ->needs(mqtt);
    poll.add_flag_callback(
            "--no-discovery", [&gateway] { gateway.discovery = false; }, "no Home Assistant discovery")
        ->needs(mqtt);
}
#endif

// The alarm limits a poll watches, in volts as the table shows them.
void AddAlarmOptions(CLI::App& poll, AlarmLimits& limits) {
    const auto perChannel = [](const std::string& what) {
        return [what](const std::string& text) { return ChannelLimitList(what, text); };
    };
    AddList(poll, "--low", limits.lowMv, perChannel("--low"),
            "alarm below V volts: one limit for every channel, or four (channel 1 to 4), an empty one for "
            "none, e.g. 3.0 or 3.0,,3.0,3.1")
        ->type_name("V");
    AddList(poll, "--high", limits.highMv, perChannel("--high"), "alarm above V volts, given as --low is")
        ->type_name("V");
    const auto volts = [](const std::string& what) {
        return [what](const std::string& text) { return std::optional<Millivolts>(CheckedVolts(what, text)); };
    };
    AddList(poll, "--spread", limits.spreadMv, volts("--spread"),
            "alarm when a unit's channels with a limit differ by more than V volts")
        ->type_name("V");
    AddList(
        poll, "--hysteresis", limits.hysteresisMv,
        [](const std::string& text) { return CheckedVolts("--hysteresis", text); },
        "an alarm clears once its value is back inside by V volts (default 0.010)")
        ->type_name("V");
    AddNumber(poll, "--on-delay", limits.onDelayPolls, 1, kLongestOnDelayPolls,
              "polls in a row beyond a limit before its alarm is raised, and inside it before it clears "
              "(default 1)")
        ->type_name("N");
}

// The limits together: a low limit below its high one, a hysteresis that lets
// every alarm clear; tuning with no limit to tune is a mistake said as such.
std::optional<CliFailure> CheckAlarmOptions(const CLI::App& poll, const AlarmLimits& limits) {
    if (!limits.AnyLimit() && (poll.count("--hysteresis") || poll.count("--on-delay"))) {
        return CliFailure{ExitCode::Usage, "--hysteresis and --on-delay need a limit: --low, --high or --spread"};
    }
    const auto problem = CheckLimits(limits);
    if (!problem) return std::nullopt;
    const std::string channel = " of channel " + std::to_string(problem->channel + 1);
    const std::string hysteresis = "--hysteresis " + MillivoltsText(limits.hysteresisMv);
    std::string why = "the alarm limits are refused";
    switch (problem->fault) {
    case LimitFault::LowNotBelowHigh:
        why = "--low " + MillivoltsText(*limits.lowMv[problem->channel]) + channel + " is not below its --high " +
              MillivoltsText(*limits.highMv[problem->channel]);
        break;
    case LimitFault::HysteresisNotBelowGap:
        why = hysteresis + " is not below the gap between --low and --high" + channel;
        break;
    case LimitFault::HysteresisNotBelowSpread:
        why = hysteresis + " is not below --spread " + MillivoltsText(*limits.spreadMv);
        break;
    default: break;
    }
    return CliFailure{ExitCode::OutOfRange, why};
}

// Everything poll takes, the gateway's options on Linux.
CLI::App* AddPoll(CLI::App& app, CliOptions& options, const CommonOptions& common) {
    CLI::App* poll =
        AddCommand(app, "poll", "poll a run of units, pass after pass", Command::Poll, options, help_text::kPoll);
    poll->excludes(common.address);
    AddList(*poll, "--addresses", options.addresses, StationList,
            "the stations of a pass, in order, e.g. 1-16 or 1,5,9-12")
        ->required();
    AddNumber(*poll, "--period", options.periodMs, 0, kLongestPeriodMs,
              "milliseconds from the start of one pass to the start of the next (default 500); "
              "0: pass after pass with no pause")
        ->type_name("MS");
    AddNumber(*poll, "--count", options.passes, 1, kMostPasses, "stop after N passes (default: until stopped)")
        ->type_name("N");
    poll->add_option("--csv", options.csvPath,
                     "also write every poll to FILE as the multi-unit records are written "
                     "(UTF-8 CSV), flushed after each poll")
        ->type_name("FILE")
        ->check([](const std::string& name) { return name.empty() ? std::string("needs a file name") : ""; });
    poll->footer(std::string(help_text::kPoll) + help_text::kPollGateway + help_text::kCommonOptions +
                 help_text::kExitCodes);
    AddAlarmOptions(*poll, options.alarms);
#ifdef LUMERIC_MQTT_GATEWAY
    AddGatewayOptions(*poll, options.gateway);
#endif
    return poll;
}

// The PORT is needed, though CLI11 is not told so (it would take a command's
// name for it): the usage line shows it without brackets.
class UsageFormatter : public CLI::Formatter {
public:
    std::string make_option_usage(const CLI::Option* option) const override {
        return option->get_name() == "PORT" ? "PORT" : CLI::Formatter::make_option_usage(option);
    }
};

bool HelpAsked(const CLI::App& app) {
    if (app.get_help_ptr()->count() > 0) return true;
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    return std::any_of(chosen.begin(), chosen.end(), [](const CLI::App* sub) { return HelpAsked(*sub); });
}

// The help of the command named, or the program's. A command's usage line
// names the PORT before it, where it is typed.
std::string HelpText(const CLI::App& app) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    return chosen.empty() ? app.help() : chosen.front()->help(app.get_name() + " PORT");
}

// CLI11 says "INI was not able to parse poll.speed"; the operator is told
// where in the file it is.
CliFailure UnknownConfigKey(const CLI::App& app, const CLI::ConfigError& error) {
    const std::string text = error.what();
    const std::string marker = "not able to parse ";
    const size_t at = text.find(marker);
    if (at == std::string::npos) return CliFailure{ExitCode::Usage, text};
    const std::string key = text.substr(at + marker.size());
    const std::string path = app.get_config_ptr()->as<std::string>();
    const size_t line = ConfigKeyLine(path, key);
    return CliFailure{ExitCode::Usage, path + (line ? " line " + std::to_string(line) : "") + ": unknown key " + key};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& words) {
    CliOptions options;
    CLI::App app("", "lumeric-cli");
    app.footer(help_text::kExitCodes);
    app.fallthrough();
    // An option given twice takes its last value, as scripts that add to a
    // command line expect.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.require_subcommand(1);
    const auto formatter = std::make_shared<UsageFormatter>();
    formatter->label("SUBCOMMAND", "COMMAND");
    formatter->label("Subcommands", "Commands");
    formatter->column_width(26);
    app.formatter(formatter);
    app.set_version_flag("--version", std::string("lumeric-cli ") + LUMERIC_VERSION);
    // A service's settings in a file; what the command line gives as well wins.
    // Set before the commands are added: they take the refusal of unknown keys from here.
    app.set_config("--config", "", help_text::kConfig)->type_name("FILE");
    app.allow_config_extras(false);
    // Not required of CLI11: it would take a command's name for the PORT. The
    // config file names it "port".
    app.add_option("PORT", options.port, help_text::kPort)->type_name("")->ignore_case();
    const CommonOptions common{
        AddNumber(app, "--address", options.address, kLowestStation, kHighestStation,
                  "station address of the unit, 0-247 (default 1)")
            ->type_name("A"),
        AddRate(app, "--baud", options.baud, "line speed of the port: 1200, 2400, 4800, 9600 (default) or 19200")
            ->type_name("B"),
    };
    app.add_flag("--verbose", options.verbose, "every frame sent and received, in hexadecimal, on standard error");
    AddRead(app, options);
    AddInfo(app, options);
    AddSet(app, options);
    AddCommand(app, "reset", "reset the unit (no reply awaited)", Command::Reset, options);
    AddCalibrate(app, options);
    AddScan(app, options, common);
    const CLI::App* poll = AddPoll(app, options, common);

    try {
        std::vector<std::string> reversed(words.rbegin(), words.rend());  // CLI11 takes them last first
        app.parse(reversed);
    } catch (const CLI::CallForVersion& version) {
        return TextToShow{version.what() + std::string("\n")};
    } catch (const CLI::Error& error) {
        // Help wins over a line that would be refused.
        if (HelpAsked(app)) return TextToShow{HelpText(app)};
        if (const auto* unknown = dynamic_cast<const CLI::ConfigError*>(&error)) return UnknownConfigKey(app, *unknown);
        const bool refused = dynamic_cast<const ValueRefused*>(&error) != nullptr;
        return CliFailure{refused ? ExitCode::OutOfRange : ExitCode::Usage, error.what()};
    }
    if (options.port.empty()) return CliFailure{ExitCode::Usage, "the PORT comes before the command"};
    if (auto failure = CheckAlarmOptions(*poll, options.alarms)) return *failure;
#ifdef LUMERIC_MQTT_GATEWAY
    if (auto failure = CheckGatewayOptions(options)) return *failure;
#endif
    if (options.command == Command::Scan) {
        // A scan without lists covers every station but 0 at every speed.
        if (options.addresses.empty()) {
            for (int64_t station = 1; station <= kHighestStation; ++station) {
                options.addresses.push_back(static_cast<uint8_t>(station));
            }
        }
        if (options.bauds.empty()) options.bauds.assign(kBaudRates.begin(), kBaudRates.end());
    }
    return options;
}
