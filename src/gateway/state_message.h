#pragma once
#include <cstdint>
#include <string>

#include "poll_record.h"
#include "wall_time.h"

// The JSON a poll is published as on PREFIX/<address>/state:
// {"address":7,"time":"…","seq":12,"ch1":1.234,"ch2":0,"ch3":0,"ch4":0,"ok":5,"fail":0}
// A failed poll has null for every channel and "error": "timeout" or "crc".
std::string StateJson(const PolledUnit& poll, PollFailure failure, WallTime time, uint64_t sequence);
// The channel's key in that object, ch1 to ch4, for the discovery's template.
std::string ChannelKey(int channel);
