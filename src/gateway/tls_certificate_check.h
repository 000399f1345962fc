#pragma once
#include <optional>
#include <string>

// Paho says no more than "TCP/TLS connect failure" when a broker's
// certificate is refused, as it says when the broker is not there. This asks
// the broker at `uri` (ssl://HOST:PORT) for its certificate and checks it as
// the client does (trusted by `caFile` or the system, made for HOST): why it
// is refused, or none when it is not, or the broker cannot be reached.
std::optional<std::string> CertificateRefusal(const std::string& uri, const std::string& caFile);
