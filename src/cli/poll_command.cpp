// The multi-unit cycle without a window, at the line's own pace: every poll
// is a line on standard output and, with --csv, a line of the record file,
// on the disk before the next poll begins; with alarm limits, every raise
// and clear a line on standard error.
#include <string>

#include "alarm_watch.h"
#include "commands.h"
#include "poll_line.h"
#include "text_format.h"
#ifdef LUMERIC_MQTT_GATEWAY
#include "mqtt_poll.h"
#endif

namespace {

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

class ShownAndRecorded : public PollSink {
public:
    explicit ShownAndRecorded(CliSession& session) : m_session(session) {}
    std::optional<CliFailure> Polled(const PolledUnit& poll, PollFailure /*failure*/) override {
        m_session.Streams().Out(PollText(poll));
        const std::string& path = m_session.options.csvPath;
        if (path.empty()) return std::nullopt;
        if (const FileError error = m_session.RecordFile().Append(PollRecordLine(poll))) return FileFailed(path, error);
        return std::nullopt;
    }

private:
    CliSession& m_session;
};

}  // namespace

CommandOutcome RunPoll(CliSession& session) {
    const std::string& path = session.options.csvPath;
    if (!path.empty()) {
        OutputFile& record = session.RecordFile();
        // Appended to: a service that restarts keeps its earlier records, under one title line.
        bool empty = true;
        FileError error = record.OpenToAppend(path, empty);
        if (!error && empty) error = record.Append(PollRecordHead());
        if (error) return FileFailed(path, error);
    }
    ShownAndRecorded sink(session);
#ifdef LUMERIC_MQTT_GATEWAY
    if (!session.options.gateway.url.empty()) return RunMqttPoll(session, sink);
#endif
    AlarmWatch watched(session, sink);
    return PollLine(session, session.options.alarms.AnyLimit() ? static_cast<PollSink&>(watched) : sink);
}
