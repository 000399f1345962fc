// The multi-unit cycle without a window: the stations of the list polled one
// after the other, one every period, each for its four voltages at the
// table's scale. Every poll is a line on standard output and, with --csv, a
// line of the record file, on the disk before the next poll begins.
#include <string>
#include <vector>

#include "commands.h"
#include "poll_record.h"
#include "text_format.h"
#include "unit_poll.h"

namespace {

// As the cycle waits: the whole reply within a second, however it comes.
ExchangeOptions PollExchange() {
    ExchangeOptions poll;
    poll.shortenDeadline = false;
    poll.deadlineMs = static_cast<int32_t>(kUnitReplyWaitMs);
    return poll;
}

CliFailure FileFailed(const std::string& path, FileError error) {
    std::string why = "system error " + std::to_string(error.systemCode);
    switch (error.failure) {
    case FileFailure::FolderMissing: why = "its folder does not exist"; break;
    case FileFailure::DiskFull: why = "the disk is full"; break;
    case FileFailure::InUse: why = "another program holds it"; break;
    case FileFailure::AccessDenied: why = "no permission to write it"; break;
    default: break;
    }
    return {ExitCode::FileFailed, "cannot write " + path + ": " + why};
}

// Waits out the rest of the period begun at `tickMs`, then begins the next.
// A poll longer than the period is followed at once: ticks are not made up.
void NextTick(Clock& clock, uint32_t periodMs, uint32_t& tickMs) {
    const uint32_t elapsed = clock.NowMs() - tickMs;
    if (elapsed < periodMs) clock.SleepMs(periodMs - elapsed);
    tickMs = elapsed < periodMs ? tickMs + periodMs : clock.NowMs();
}

}  // namespace

CommandOutcome RunPoll(CliSession& session) {
    const CliOptions& options = session.options;
    OutputFile& record = session.RecordFile();
    const bool recording = !options.csvPath.empty();
    if (recording) {
        FileError error = record.Create(options.csvPath);
        if (!error) error = record.Append(PollRecordHead());
        if (error) return FileFailed(options.csvPath, error);
    }
    // Counts per place in the list, as the table keeps them per row.
    std::vector<PolledUnit> units(options.addresses.size());
    uint32_t tickMs = session.TheClock().NowMs();
    for (uint32_t pass = 0; options.passes == 0 || pass < options.passes; ++pass) {
        for (size_t i = 0; i < units.size(); ++i) {
            if (pass > 0 || i > 0) NextTick(session.TheClock(), options.periodMs, tickMs);
            const uint8_t address = options.addresses[i];
            PolledUnit& unit = units[i];
            unit.address = address;
            const ExchangeResult result =
                session.Exchange(ReadFourVoltagesRequest(address), kFourVoltagesReplyLength, PollExchange());
            unit.time = session.Now();
            unit.volts.reset();
            if (result == ExchangeResult::Ok) unit.volts = FourVolts(session.Reply());
            ++(unit.volts ? unit.okCount : unit.failCount);
            session.Streams().Out(PollText(unit));
            if (!recording) continue;
            if (const FileError error = record.Append(PollRecordLine(unit))) return FileFailed(options.csvPath, error);
        }
    }
    return std::nullopt;
}
