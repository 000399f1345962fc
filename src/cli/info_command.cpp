// What the unit says about itself, read as the console reads it: its
// settings, then, right after, its four texts.
#include "commands.h"
#include "json_format.h"
#include "text_format.h"

CommandOutcome RunInfo(CliSession& session) {
    const CliOptions& options = session.options;
    DeviceInfo info;
    // Half an answer would pass for a whole one in a script: all or nothing.
    const ExchangeResult result = session.ReadInfo(options.address, info);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address);
    session.Streams().Out(options.json ? InfoJson(info) : InfoText(info));
    return std::nullopt;
}
