#include "port_event_rules.h"

#include <cstdio>

PortNotification NotificationForEvent(uint32_t eventWord) {
    switch (eventWord) {
    case PortEvent::RxChar: return PortNotification::Receive;
    case PortEvent::TxEmpty: return PortNotification::TxEmpty;
    case PortEvent::Cts: return PortNotification::Cts;
    case PortEvent::Dsr: return PortNotification::Dsr;
    case PortEvent::Rlsd: return PortNotification::Rlsd;
    case PortEvent::Break: return PortNotification::Break;
    case PortEvent::Err: return PortNotification::Error;
    case PortEvent::Ring: return PortNotification::Ring;
    default: return PortNotification::None;
    }
}

std::string SetCommMaskFailureText(const char* sourceFile, int sourceLine, uint32_t portNumber, uint32_t handleValue,
                                   uint32_t eventMask, uint32_t lastError) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s(%d) : COM%d Call WINAPI SetCommMask(%x, %x) Fail, thread work invalid! GetLastError() = %d;",
                  sourceFile, sourceLine, static_cast<int>(portNumber), static_cast<unsigned>(handleValue),
                  static_cast<unsigned>(eventMask), static_cast<int>(lastError));
    return text;
}
