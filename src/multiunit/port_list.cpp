#include "port_list.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr int32_t kFixedPorts = 12;

std::string PortName(int32_t number) { return "COM" + std::to_string(number); }

}  // namespace

int32_t ComNumberOf(const std::string& item) {
    if (item.size() < 4) return 0;
    for (size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(item[i])) != "COM"[i]) return 0;
    }
    // Digits only, none leading with 0: "COM05" or "COM5:" is no name Windows gives.
    const char* digits = item.data() + 3;
    const char* end = item.data() + item.size();
    if (*digits == '0') return 0;
    int32_t number = 0;
    const auto [stop, error] = std::from_chars(digits, end, number);
    return error == std::errc() && stop == end ? number : 0;
}

std::vector<std::string> PortListItems(const std::vector<std::string>& systemPorts) {
    std::vector<int32_t> higher;
    for (const std::string& name : systemPorts) {
        const int32_t number = ComNumberOf(name);
        if (number > kFixedPorts) higher.push_back(number);
    }
    std::sort(higher.begin(), higher.end());
    higher.erase(std::unique(higher.begin(), higher.end()), higher.end());

    std::vector<std::string> items;
    for (int32_t number = 1; number <= kFixedPorts; ++number) items.push_back(PortName(number));
    for (int32_t number : higher) items.push_back(PortName(number));
    return items;
}
