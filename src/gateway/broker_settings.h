#pragma once
#include <optional>
#include <string>
#include <variant>

// How the gateway reaches its broker, as given on the command line.
struct BrokerSettings {
    std::string url;  // mqtt://HOST[:PORT] or mqtts://HOST[:PORT]
    std::string user;
    std::string password;
    std::string caFile;  // mqtts: the certificate authorities to trust; empty: the system's
    std::string clientId;
};

// The address as the MQTT client takes it (tcp://HOST:PORT or
// ssl://HOST:PORT, 1883 and 8883 by default), or why the URL is refused.
struct ClientAddress {
    std::string uri;
    bool tls = false;
};
std::variant<ClientAddress, std::string> ParseBrokerUrl(const std::string& url);
