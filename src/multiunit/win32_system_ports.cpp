#include "win32_system_ports.h"

#include <windows.h>

#include "win32_utf16.h"

std::vector<std::string> Win32SystemPorts::Names() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    // No key: a machine without serial ports.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t device[256];
        DWORD deviceLength = 256;
        wchar_t port[64] = {};
        // One character short of the buffer: registry strings need not end in a NUL.
        DWORD portBytes = sizeof port - sizeof port[0];
        DWORD type = REG_NONE;
        const LONG result =
            RegEnumValueW(key, index, device, &deviceLength, nullptr, &type, reinterpret_cast<BYTE*>(port), &portBytes);
        if (result == ERROR_NO_MORE_ITEMS) break;
        // ERROR_MORE_DATA: too long for a port name, and so none of ours.
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        port[portBytes / sizeof port[0]] = L'\0';
        names.push_back(Utf8FromWide(port));
    }
    RegCloseKey(key);
    return names;
}
