// The setup program as an IT department runs it, checked from inside Windows.
// setup_test.sh runs these suites one after another, each in a run of its own,
// and lets every Wine process end in between (the uninstaller finishes from a
// copy of itself after uninstall.exe has returned):
//   Setup        the setup program, silent, into LUMERIC_INSTALL_DIR
//   Installed    the files, the version in both programs and in the setup program,
//                the console's window, the uninstall entry
//   Uninstall    the quiet uninstall command that Apps and Features holds
//   Uninstalled  nothing of Lumeric left
// LUMERIC_SETUP names the setup program, LUMERIC_INSTALL_DIR the folder (Windows paths).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumeric";
constexpr wchar_t kVersion[] = LUMERIC_VERSION;
constexpr wchar_t kFourPartVersion[] = LUMERIC_VERSION_QUAD;
const std::vector<std::wstring> kInstalledFiles = {L"Lumeric.exe", L"lumeric-cli.exe", L"README.txt", L"uninstall.exe"};
// Start menu and desktop, for all users and for the current user.
constexpr int kShortcutFolders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY,
                                    CSIDL_DESKTOPDIRECTORY};

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    return std::wstring(value, GetEnvironmentVariableW(name, value, MAX_PATH));
}

std::wstring InstallDir() { return Environment(L"LUMERIC_INSTALL_DIR"); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Starts a command line as given: NSIS wants /D= last and unquoted.
PROCESS_INFORMATION Start(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start: error " << GetLastError();
    }
    return process;
}

// Ends a program that has not ended within waitMs, and returns its exit code.
DWORD Finish(const PROCESS_INFORMATION& process, DWORD waitMs) {
    DWORD code = MAXDWORD;
    if (!process.hProcess) return code;
    if (WaitForSingleObject(process.hProcess, waitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "still running after " << waitMs << " ms";
        TerminateProcess(process.hProcess, code);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The uninstall entry's root: HKLM for an all-users installation, HKCU for one user.
HKEY UninstallRoot() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kUninstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return root;
        }
    }
    return nullptr;
}

std::wstring RegistryText(HKEY root, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(root, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"";
    return value;
}

// The version as Explorer shows it under Properties > Details: the four-part
// file version and the product version text.
std::wstring ReadVersion(const std::wstring& path) {
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        !VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text),
                        &length)) {
        return L"none";
    }
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS)) + L" " + text;
}

std::wstring ShortcutIn(int folder) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))
               ? std::wstring(path) + L"\\Lumeric.lnk"
               : L"";
}

// A visible console window of this process, captioned as the console is.
HWND ConsoleWindowOf(DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", L"Lumeric_Ver1.0")) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

TEST(Setup, InstallsSilentlyIntoTheGivenFolder) {
    ASSERT_FALSE(InstallDir().empty());
    EXPECT_EQ(Finish(Start(L"\"" + Environment(L"LUMERIC_SETUP") + L"\" /S /D=" + InstallDir()), 60000), 0u);
}

TEST(Installed, FilesAndShortcuts) {
    for (const std::wstring& file : kInstalledFiles) EXPECT_TRUE(Exists(InstallDir() + L"\\" + file)) << file;
    // Under Wine the user is an administrator: an all-users installation.
    EXPECT_TRUE(Exists(ShortcutIn(CSIDL_COMMON_PROGRAMS)));
    EXPECT_TRUE(Exists(ShortcutIn(CSIDL_COMMON_DESKTOPDIRECTORY)));
}

TEST(Installed, ProgramsAndSetupCarryTheVersion) {
    for (const std::wstring& file :
         {InstallDir() + L"\\Lumeric.exe", InstallDir() + L"\\lumeric-cli.exe", Environment(L"LUMERIC_SETUP")}) {
        EXPECT_EQ(ReadVersion(file), std::wstring(kFourPartVersion) + L" " + kVersion) << file;
    }
}

TEST(Installed, ConsoleStartsFromTheFolder) {
    const PROCESS_INFORMATION console = Start(L"\"" + InstallDir() + L"\\Lumeric.exe\"");
    ASSERT_NE(console.hProcess, nullptr);
    HWND window = nullptr;
    for (int waited = 0; !window && waited < 20000; waited += 100) {
        Sleep(100);
        window = ConsoleWindowOf(console.dwProcessId);
    }
    EXPECT_NE(window, nullptr) << "no console window within 20 s";
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    Finish(console, 10000);
}

TEST(Installed, AppsAndFeaturesEntry) {
    HKEY root = UninstallRoot();
    ASSERT_EQ(root, HKEY_LOCAL_MACHINE) << "an all-users installation registers under HKLM";
    EXPECT_EQ(RegistryText(root, L"DisplayVersion"), kVersion);
    // Quoted, for the space in the folder's name; Uninstall.* runs it.
    EXPECT_EQ(RegistryText(root, L"QuietUninstallString"), L"\"" + InstallDir() + L"\\uninstall.exe\" /S");
}

TEST(Uninstall, QuietCommandSucceeds) {
    const std::wstring command = RegistryText(UninstallRoot(), L"QuietUninstallString");
    ASSERT_FALSE(command.empty());
    EXPECT_EQ(Finish(Start(command), 60000), 0u);
}

TEST(Uninstalled, NothingLeft) {
    EXPECT_EQ(UninstallRoot(), nullptr) << "the uninstall entry is still there";
    for (int folder : kShortcutFolders) EXPECT_FALSE(Exists(ShortcutIn(folder))) << ShortcutIn(folder);
    // The folder itself goes once it is empty; nothing may be left in it either way.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((InstallDir() + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName;
        EXPECT_TRUE(name == L"." || name == L"..") << "left behind: " << name;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
