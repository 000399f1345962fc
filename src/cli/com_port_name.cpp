#include "com_port_name.h"

#include <cctype>

namespace {

constexpr uint32_t kHighestComNumber = 1024;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

uint32_t ComPortNumber(const std::string& name) {
    size_t at = 0;
    if (StartsWithNoCase(name, "\\\\.\\")) at = 4;
    if (StartsWithNoCase(name.substr(at), "COM")) at += 3;
    if (at == name.size() || name.size() - at > 4 || name[at] == '0') return 0;
    uint32_t number = 0;
    for (; at < name.size(); ++at) {
        if (name[at] < '0' || name[at] > '9') return 0;
        number = number * 10 + static_cast<uint32_t>(name[at] - '0');
    }
    return number <= kHighestComNumber ? number : 0;
}
