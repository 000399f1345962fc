#pragma once
#include <cstdint>
#include <string>

// The port event monitor's decisions, kept free of Win32 so they can be tested
// anywhere. The flag values are those of the Win32 EV_* constants.
namespace PortEvent {
constexpr uint32_t RxChar = 0x0001;
constexpr uint32_t TxEmpty = 0x0004;
constexpr uint32_t Cts = 0x0008;
constexpr uint32_t Dsr = 0x0010;
constexpr uint32_t Rlsd = 0x0020;
constexpr uint32_t Break = 0x0040;
constexpr uint32_t Err = 0x0080;
constexpr uint32_t Ring = 0x0100;
// Every event but EV_RXFLAG.
constexpr uint32_t DefaultMask = RxChar | TxEmpty | Cts | Dsr | Rlsd | Break | Err | Ring;
}  // namespace PortEvent

// The messages the monitor posts to its window; wParam is the COM number.
constexpr unsigned COMM_MSG_RECEIVE = 0x0400 + 618;
constexpr unsigned COMM_MSG_CTS = 0x0400 + 619;
constexpr unsigned COMM_MSG_DSR = 0x0400 + 621;
constexpr unsigned COMM_MSG_RING = 0x0400 + 623;
constexpr unsigned COMM_MSG_RLSD = 0x0400 + 624;
constexpr unsigned COMM_MSG_BREAK = 0x0400 + 625;
constexpr unsigned COMM_MSG_TXEMPTY = 0x0400 + 626;
constexpr unsigned COMM_MSG_ERROR = 0x0400 + 627;

enum class PortNotification { None, Receive, TxEmpty, Cts, Dsr, Rlsd, Break, Error, Ring };

// The notification an event word calls for. Only a word holding exactly one
// known flag calls for one; 0 and combined words call for nothing. Receive
// is still subject to ReceiveReachesThreshold.
PortNotification NotificationForEvent(uint32_t eventWord);

// A receive event is reported once the input queue holds at least
// `threshold` bytes; with threshold 0 every receive event is.
inline bool ReceiveReachesThreshold(uint32_t queuedBytes, uint32_t threshold) { return queuedBytes >= threshold; }

// The text of the message box shown when the event mask cannot be set;
// at most 255 characters.
std::string SetCommMaskFailureText(const char* sourceFile, int sourceLine, uint32_t portNumber, uint32_t handleValue,
                                   uint32_t eventMask, uint32_t lastError);
