// One calibration of one channel at one point, as the console's button does it.
#include <string>

#include "calibration_points.h"
#include "commands.h"

CommandOutcome RunCalibrate(CliSession& session) {
    const CliOptions& options = session.options;
    const ExchangeResult result = session.Exchange(
        CalibrateRequest(options.address, options.channel, options.pointCode), kWriteEchoLength, kCalibrationExchange);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address, "calibration failed");
    // Codes run from 1 in the order of the points.
    const char* point = kCalibrationPoints[options.pointCode - 1u].name;
    session.Streams().Out("channel " + std::to_string(options.channel) + " calibrated at " + point + "\n");
    return std::nullopt;
}
