#pragma once
#include <cstdint>
#include <set>

// The COM numbers that the fake ports of one test hold. A second open of a
// held number is refused, as Windows refuses a port opened without sharing.
using HeldPorts = std::set<int64_t>;
