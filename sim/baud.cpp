#include "baud.h"

namespace {
struct SpeedPair {
    speed_t speed;
    uint32_t baud;
};
constexpr SpeedPair kSpeeds[] = {
    {B300, 300},   {B600, 600},     {B1200, 1200},   {B2400, 2400},   {B4800, 4800},
    {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
};
}  // namespace

bool IsUnitBaud(uint32_t baud) { return baud == 1200 || baud == 2400 || baud == 4800 || baud == 9600 || baud == 19200; }

uint32_t BaudFromSpeed(speed_t speed) {
    for (const SpeedPair& pair : kSpeeds) {
        if (pair.speed == speed) return pair.baud;
    }
    return 0;
}

uint64_t CharTimeNs(uint32_t baud) { return baud == 0 ? 0 : 10ULL * 1000000000ULL / baud; }
