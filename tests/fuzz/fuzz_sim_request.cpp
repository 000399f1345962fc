// lumeric-sim's answer to any frame a host may send: any length, any
// function and register, with a CRC that is right or not, at any line speed.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "modbus_crc.h"
#include "modbus_frame.h"
#include "request_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    constexpr uint32_t kBauds[] = {1200, 9600, 19200, 115200};
    const uint32_t hostBaud = input.PickValueInArray(kBauds);
    const bool rightCrc = input.ConsumeBool();
    std::vector<SimUnit> units{MakeDefaultUnit(1, 9600), MakeDefaultUnit(2, 19200), MakeDefaultUnit(0, 9600)};
    std::vector<uint8_t> frame = input.ConsumeRemainingBytes<uint8_t>();
    // Most random frames fail the CRC; give the deeper paths a chance.
    if (rightCrc && !frame.empty()) {
        const uint16_t crc = ModbusCrc16(frame.data(), frame.size());
        frame.push_back(static_cast<uint8_t>(crc >> 8));
        frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    }

    const std::optional<UnitAnswer> answer = AnswerRequest(units, frame, hostBaud);
    if (!answer) return 0;
    // Whatever the sim sends is a well-formed Modbus RTU frame of at most 256 bytes.
    const std::vector<uint8_t>& reply = answer->reply;
    if (reply.size() < 5 || reply.size() > 256 || !VerifyReply(reply.data(), reply.size())) std::abort();
    if (answer->unitIndex >= units.size()) std::abort();
    return 0;
}
