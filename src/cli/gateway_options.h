#pragma once
#include <cstdint>
#include <string>

// poll --mqtt: where a line's polls are published, as the command line gave it.
struct GatewayOptions {
    std::string url;          // mqtt://HOST:PORT or mqtts://HOST:PORT; empty: no publishing
    std::string topicPrefix;  // empty: lumeric/<hostname>-<port name>
    std::string spoolDir;     // empty: pending readings in memory only
    uint64_t spoolLimit = 1000000;
    std::string user;
    std::string password;      // or LUMERIC_MQTT_PASSWORD; used with `user` only
    std::string passwordFile;  // the password on the first line of this file instead
    std::string caFile;
    bool discovery = true;
};
