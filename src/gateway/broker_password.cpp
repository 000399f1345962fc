#include "broker_password.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

// The first line of `path` without its line end; nothing when it cannot be read.
bool ReadFirstLine(const std::string& path, std::string& line) {
    std::ifstream file(path);
    if (!file) return false;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return !file.bad();
}

std::string Unreadable(const std::string& what) { return what + " cannot be read: " + std::strerror(errno); }

}  // namespace

std::variant<BrokerPassword, std::string> FindBrokerPassword(const PasswordSources& sources) {
    BrokerPassword found;
    if (!sources.passwordFile.empty()) {
        const std::string& path = sources.passwordFile;
        struct stat status {};
        if (stat(path.c_str(), &status) != 0 || !ReadFirstLine(path, found.password)) {
            return Unreadable("--password-file " + path);
        }
        if (found.password.empty()) return "--password-file " + path + " holds no password on its first line";
        if (status.st_mode & (S_IRGRP | S_IROTH)) {
            found.warning = "--password-file " + path + " may be read by others than its owner (chmod 600 it)";
        }
        return found;
    }
    if (!sources.given.empty()) {
        found.password = sources.given;
        return found;
    }
    if (sources.credentialsDirectory && *sources.credentialsDirectory) {
        const std::string path = std::string(sources.credentialsDirectory) + "/mqtt-password";
        // A service without that credential has none: no password, as without any source.
        if (access(path.c_str(), F_OK) == 0 && !ReadFirstLine(path, found.password)) {
            return Unreadable("the credential " + path);
        }
    }
    return found;
}
