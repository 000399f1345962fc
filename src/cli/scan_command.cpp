// Every unit on the line at every speed: each station of the list is asked
// for its settings at each speed of the list, and a station that answers is
// asked for its name as well.
#include <string>
#include <vector>

#include "commands.h"
#include "device_replies.h"
#include "json_format.h"
#include "text_format.h"

namespace {

// A unit needs a moment to turn a request round; most take a few ms.
constexpr uint32_t kTurnaroundMs = 100;

// How long a station has to begin its answer: the 8 request characters and
// the first reply character at 10 bits each, and the turnaround. An answer
// that has begun gets the exchange's own deadline for the rest.
ExchangeOptions ProbeExchange(uint32_t baudRate) {
    ExchangeOptions probe;
    probe.deadlineMs = static_cast<int32_t>((9 * 10 * 1000 + baudRate - 1) / baudRate + kTurnaroundMs);
    return probe;
}

// One line that rewrites itself, where a terminal shows it. Blanks, not an
// escape sequence, wipe a longer line before it: every console knows them.
constexpr size_t kProgressWidth = 72;

void ShowProgress(CliSession& session, std::string text) {
    if (!session.Streams().ErrIsTerminal()) return;
    if (text.size() < kProgressWidth) text.resize(kProgressWidth, ' ');
    session.Streams().Err("\r" + text);
}

}  // namespace

CommandOutcome RunScan(CliSession& session) {
    const CliOptions& options = session.options;
    std::vector<FoundUnit> found;
    for (uint32_t baudRate : options.bauds) {
        if (auto failure = session.Open(baudRate)) return failure;
        const ExchangeOptions probe = ProbeExchange(baudRate);
        for (size_t i = 0; i < options.addresses.size(); ++i) {
            const uint8_t address = options.addresses[i];
            ShowProgress(session, "scanning at " + std::to_string(baudRate) + " bit/s: station " +
                                      std::to_string(address) + " (" + std::to_string(i + 1) + " of " +
                                      std::to_string(options.addresses.size()) + "), " + std::to_string(found.size()) +
                                      " found");
            // A reply from another station is the late answer of one asked
            // before: taken for this one, it would list a unit that is not there.
            if (session.Exchange(ReadSettingsRequest(address), kSettingsReplyLength, probe) != ExchangeResult::Ok ||
                session.Reply()[0] != address) {
                if (session.PortGone()) return session.GoneFailure();
                continue;
            }
            FoundUnit unit{address, baudRate, DecodeSettings(session.Reply()).interval, ""};
            // A unit that gave its settings but not its name is still there.
            if (session.Exchange(ReadIdentityRequest(address), kIdentityReplyLength) == ExchangeResult::Ok) {
                unit.name = session.ReplyText(kDeviceNameField);
            }
            found.push_back(unit);
        }
    }
    // Wipe the progress line and leave the cursor at its start.
    ShowProgress(session, "");
    if (session.Streams().ErrIsTerminal()) session.Streams().Err("\r");
    session.Streams().Out(options.json ? ScanJson(found) : ScanText(found));
    return std::nullopt;
}
