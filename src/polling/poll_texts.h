#pragma once

// What a poll's outcome is called in the records and in the multi-unit table.
namespace PollText {
constexpr const char* kPollOk = "正常";
constexpr const char* kCommFault = "通讯故障";
}  // namespace PollText
