#pragma once
#include <string>
#include <variant>

// Where a site keeps the broker's password, in this order of preference:
// the file named by --password-file, the password given (--password or
// the environment's LUMERIC_MQTT_PASSWORD), and systemd's credential
// "mqtt-password" (LoadCredential=, in $CREDENTIALS_DIRECTORY).
struct PasswordSources {
    std::string passwordFile;          // empty: not given
    std::string given;                 // empty: not given
    const char* credentialsDirectory;  // CREDENTIALS_DIRECTORY, or null
};

struct BrokerPassword {
    std::string password;  // empty: none found
    std::string warning;   // a password file others may read
};

// The password, or why a source that was named cannot be read. A file's
// password is its first line.
std::variant<BrokerPassword, std::string> FindBrokerPassword(const PasswordSources& sources);
