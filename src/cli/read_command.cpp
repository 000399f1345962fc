// The four voltages of one unit, in one request.
#include "commands.h"
#include "device_replies.h"
#include "json_format.h"
#include "text_format.h"

CommandOutcome RunRead(CliSession& session) {
    const CliOptions& options = session.options;
    const ExchangeResult result = session.Exchange(ReadFourVoltagesRequest(options.address), kFourVoltagesReplyLength);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address);
    const VoltageReadout readout{options.address, options.scale, DecodeFourVoltages(session.Reply())};
    session.Streams().Out(options.json ? ReadoutJson(readout) : ReadoutText(readout));
    return std::nullopt;
}
