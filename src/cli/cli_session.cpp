#include "cli_session.h"

#include "device_replies.h"

CliSession::CliSession(CliEnvironment& environment, const CliOptions& cliOptions)
    : options(cliOptions),
      m_environment(environment),
      m_log(environment.streams, cliOptions.verbose),
      m_exchange(environment.port.Line(), environment.clock, m_log,
                 [this] { return static_cast<int32_t>(m_baudRate); }) {}

std::optional<CliFailure> CliSession::Open(uint32_t baudRate) {
    switch (m_environment.port.Open(options.port, baudRate)) {
    case PortOpening::Opened: m_baudRate = baudRate; return std::nullopt;
    case PortOpening::BadName:
        return CliFailure{ExitCode::Usage, options.port + " names no serial port (give COMn or n, n from 1 to 1024)"};
    case PortOpening::Unavailable: break;
    }
    return CliFailure{ExitCode::PortUnavailable, "cannot open " + options.port + " at " + std::to_string(baudRate) +
                                                     " bit/s: missing, or held by another program"};
}

ExchangeResult CliSession::Exchange(const RequestFrame& request, size_t replyLength,
                                    const ExchangeOptions& exchangeOptions) {
    if (PortGone()) return ExchangeResult::Timeout;
    return m_exchange.Exchange(request, replyLength, exchangeOptions);
}

ExchangeResult CliSession::ReadInfo(uint8_t address, DeviceInfo& info, const ExchangeOptions& exchangeOptions) {
    ExchangeResult result = Exchange(ReadSettingsRequest(address), kSettingsReplyLength, exchangeOptions);
    if (result != ExchangeResult::Ok) return result;
    info.settings = DecodeSettings(Reply());
    // Bytes trailing the first reply must not become the start of the second.
    AwaitSilence();
    result = Exchange(ReadIdentityRequest(address), kIdentityReplyLength, exchangeOptions);
    if (result != ExchangeResult::Ok) return result;
    info.name = ReplyText(kDeviceNameField);
    info.softwareVersion = ReplyText(kSoftwareVersionField);
    info.maker = ReplyText(kMakerField);
    info.protocolVersion = ReplyText(kProtocolVersionField);
    return result;
}

std::string CliSession::ReplyText(TextField field) {
    return m_environment.unitText.ToUtf8(IdentityFieldBytes(Reply(), field));
}

CliFailure CliSession::GoneFailure() const {
    return {ExitCode::PortUnavailable, options.port + " is gone: unplugged, or its driver went away"};
}

CliFailure CliSession::Failure(ExchangeResult result, uint8_t address, const std::string& what) const {
    if (PortGone()) return GoneFailure();
    const std::string station = "station " + std::to_string(address);
    const std::string prefix = what.empty() ? "" : what + ": ";
    if (result == ExchangeResult::CrcError) {
        return {ExitCode::CrcError, prefix + "the reply of " + station + " failed its CRC check"};
    }
    return {ExitCode::Timeout, prefix + "no reply from " + station + " at " + std::to_string(m_baudRate) + " bit/s"};
}
