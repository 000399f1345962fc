// What the unit says about itself, read as the console reads it: its
// settings, then, right after, its four texts.
#include "commands.h"
#include "device_replies.h"
#include "json_format.h"
#include "text_format.h"

CommandOutcome RunInfo(CliSession& session) {
    const CliOptions& options = session.options;
    ExchangeResult result = session.Exchange(ReadSettingsRequest(options.address), kSettingsReplyLength);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address);
    DeviceInfo info;
    info.settings = DecodeSettings(session.Reply());

    // Bytes trailing the first reply must not become the start of the second.
    session.AwaitSilence();
    // Half an answer would pass for a whole one in a script: all or nothing.
    result = session.Exchange(ReadIdentityRequest(options.address), kIdentityReplyLength);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address);
    info.name = session.ReplyText(kDeviceNameField);
    info.softwareVersion = session.ReplyText(kSoftwareVersionField);
    info.maker = session.ReplyText(kMakerField);
    info.protocolVersion = session.ReplyText(kProtocolVersionField);
    session.Streams().Out(options.json ? InfoJson(info) : InfoText(info));
    return std::nullopt;
}
