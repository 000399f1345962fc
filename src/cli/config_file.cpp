#include "config_file.h"

#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

size_t ConfigKeyLine(const std::string& path, const std::string& fullName) {
    std::ifstream file(path);
    std::string section;
    size_t number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        line = Trimmed(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            section = Trimmed(line.substr(1, line.find(']') - 1));
            continue;
        }
        const std::string key = Trimmed(line.substr(0, line.find('=')));
        if ((section.empty() ? key : section + "." + key) == fullName) return number;
    }
    return 0;
}
