#include "win32_limit_store.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "win32_utf16.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Lumeric";

// Each field with its value's name.
std::vector<std::pair<std::wstring, std::string*>> Fields(LimitEntries& entries) {
    std::vector<std::pair<std::wstring, std::string*>> fields;
    for (size_t channel = 0; channel < kAlarmChannels; ++channel) {
        const std::wstring number = std::to_wstring(channel + 1);
        fields.emplace_back(L"AlarmLow" + number, &entries.low[channel]);
        fields.emplace_back(L"AlarmHigh" + number, &entries.high[channel]);
    }
    fields.emplace_back(L"AlarmSpread", &entries.spread);
    fields.emplace_back(L"AlarmHysteresis", &entries.hysteresis);
    fields.emplace_back(L"AlarmOnDelay", &entries.onDelay);
    return fields;
}

// A value that is there but no text (a number, binary data) reads as a text
// that no field takes, so that it is named and ignored like any bad value.
constexpr char kNotAText[] = "?";

void ReadValue(HKEY key, const std::wstring& name, std::string& field) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
    if (type != REG_SZ || size > 256) {
        field = kNotAText;
        return;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) !=
        ERROR_SUCCESS) {
        field = kNotAText;
        return;
    }
    // Stored texts need not end in a zero: the size says where they end.
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    field = Utf8FromWide(text);
}

}  // namespace

LimitEntries Win32LimitStore::Load() {
    LimitEntries entries = EntriesFromLimits(AlarmLimits{});
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return entries;
    for (auto& [name, field] : Fields(entries)) ReadValue(key, name, *field);
    RegCloseKey(key);
    return entries;
}

// Settings that cannot be kept (a locked-down profile) are still in force for this run.
void Win32LimitStore::Save(const LimitEntries& entries) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    LimitEntries copy = entries;
    for (auto& [name, field] : Fields(copy)) {
        const std::wstring text = WideFromUtf8(*field);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}
