#include <cstdlib>

#include "broker_settings.h"

std::variant<ClientAddress, std::string> ParseBrokerUrl(const std::string& url) {
    // A user and password in the URL are never echoed: the message goes to logs.
    if (url.find('@') != std::string::npos) {
        return std::string(
            "a broker address takes no user or password: give --user, and the password by "
            "--password-file or LUMERIC_MQTT_PASSWORD");
    }
    const std::string refused = url + " is no broker address (give mqtt://HOST:PORT or mqtts://HOST:PORT)";
    ClientAddress address;
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        rest = url.substr(8);
        address.tls = true;
    } else {
        return refused;
    }
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    // An IPv6 literal keeps its brackets; the port follows the last colon after them.
    const size_t bracket = rest.rfind(']');
    const size_t colon = rest.rfind(':');
    std::string host = rest;
    std::string port = address.tls ? "8883" : "1883";
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        char* end = nullptr;
        const long number = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || number < 1 || number > 65535) return refused;
    }
    if (host.empty() || host.find_first_of("/ ") != std::string::npos) return refused;
    address.uri = (address.tls ? "ssl://" : "tcp://") + host + ":" + port;
    return address;
}
