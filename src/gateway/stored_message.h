#pragma once
#include <cstdint>
#include <string>

// One message the gateway must deliver: any topic and payload (a reading, an
// availability, an alarm), numbered by the store.
struct StoredMessage {
    uint64_t id = 0;
    std::string topic;
    std::string payload;
    bool retained = false;
};
