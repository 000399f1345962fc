// The setup program as an IT department runs it, checked from inside Windows.
// release_test.sh runs these suites one after another, each in a run of its own,
// and lets every Wine process end in between (the uninstaller finishes from a
// copy of itself after uninstall.exe has returned):
//   Setup        the setup program, silent, into LUMERIC_INSTALL_DIR
//   Installed    the files, the version in both programs and in the setup program,
//                the uninstall entry, the console's window
//   Uninstall    the quiet uninstall command that Apps and Features holds
//   Uninstalled  nothing of Lumeric left
// LUMERIC_SETUP names the setup program, LUMERIC_INSTALL_DIR the folder (Windows paths).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumeric";

std::wstring Environment(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }
const std::wstring kSetup = Environment(L"LUMERIC_SETUP"), kDir = Environment(L"LUMERIC_INSTALL_DIR");

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line as given (NSIS wants /D= last and unquoted), does
// `meanwhile` while it runs, and returns its exit code; one still running a
// minute on is ended and counts as failed.
DWORD RunToEnd(std::wstring line, const std::function<void()>& meanwhile = [] {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    DWORD code = MAXDWORD;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, 0, 0, nullptr, nullptr, &startup, &process)) return code;
    meanwhile();
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, code);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The uninstall entry's value, "" when there is none.
std::wstring EntryText(HKEY root, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    return RegGetValueW(root, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) ? L"" : value;
}

// The version as Explorer shows it under Properties > Details: the four-part
// file version and the product version text.
std::wstring ReadVersion(const std::wstring& path) {
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
    VS_FIXEDFILEINFO* fixed = nullptr;
    wchar_t *text = nullptr, version[64] = L"none";
    UINT length = 0;
    if (GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) &&
        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text),
                       &length)) {
        swprintf(version, 64, L"%u.%u.%u.%u %ls", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                 HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS), text);
    }
    return version;
}

// Lumeric's shortcut in the Start menu or on the desktop (`folder`).
std::wstring Shortcut(int folder) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Lumeric.lnk";
}

TEST(Setup, InstallsSilentlyIntoTheGivenFolder) {
    EXPECT_EQ(RunToEnd(L"\"" + kSetup + L"\" /S /D=" + kDir), 0u);
}

// Under Wine the user is an administrator: an all-users installation, its
// shortcuts for all users and its entry under HKLM.
TEST(Installed, FilesShortcutsVersionsAndAppsAndFeaturesEntry) {
    // The two programs are there if their versions can be read.
    for (const wchar_t* file : {L"\\README.txt", L"\\uninstall.exe"}) EXPECT_TRUE(Exists(kDir + file)) << file;
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY}) EXPECT_TRUE(Exists(Shortcut(folder)));
    for (const std::wstring& file : {kDir + L"\\Lumeric.exe", kDir + L"\\lumeric-cli.exe", kSetup}) {
        EXPECT_EQ(ReadVersion(file), LUMERIC_VERSION_QUAD L" " LUMERIC_VERSION) << file;
    }
    EXPECT_EQ(EntryText(HKEY_LOCAL_MACHINE, L"DisplayVersion"), LUMERIC_VERSION);
    // Quoted, for the space in the folder's name; Uninstall.* runs it.
    EXPECT_EQ(EntryText(HKEY_LOCAL_MACHINE, L"QuietUninstallString"), L"\"" + kDir + L"\\uninstall.exe\" /S");
}

// The console's visible window, captioned as the console is, closed as the operator would.
TEST(Installed, ConsoleStartsFromTheFolder) {
    bool shown = false;
    RunToEnd(L"\"" + kDir + L"\\Lumeric.exe\"", [&shown] {
        HWND window = nullptr;
        for (int waited = 0; !(shown = IsWindowVisible(window)) && waited < 20000; waited += 100, Sleep(100)) {
            window = FindWindowW(L"#32770", L"Lumeric_Ver1.0");
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(shown) << "no console window within 20 s";
}

TEST(Uninstall, QuietCommandSucceeds) {
    EXPECT_EQ(RunToEnd(EntryText(HKEY_LOCAL_MACHINE, L"QuietUninstallString")), 0u);
}

TEST(Uninstalled, NothingLeft) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) EXPECT_EQ(EntryText(root, L"UninstallString"), L"");
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
        EXPECT_FALSE(Exists(Shortcut(folder))) << Shortcut(folder);
    }
    // The folder itself goes once it is empty; nothing may be left in it either
    // way (only an empty folder can be removed).
    EXPECT_FALSE(Exists(kDir) && !RemoveDirectoryW(kDir.c_str())) << "something is left in the folder";
}

}  // namespace
