// The setup program as an IT department runs it, checked from inside Windows.
// release_test.sh runs these suites one after another, each in a run of its own,
// and lets every Wine process end in between (the uninstaller finishes from a
// copy of itself after uninstall.exe has returned):
//   Setup               the setup program, silent, for all users into
//                       LUMERIC_INSTALL_DIR and just for me into LUMERIC_USER_INSTALL_DIR
//   Installed           the files, the version in both programs and in the setup
//                       program, both uninstall entries, the console's window
//   UninstallPerUser    the per-user entry's quiet uninstall command
//   PerUserUninstalled  that installation gone, the all-users one whole
//   Uninstall           the all-users entry's quiet uninstall command
//   Uninstalled         nothing of Lumeric left
// LUMERIC_SETUP names the setup program; the folders are Windows paths.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumeric";

std::wstring Environment(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }
const std::wstring kSetup = Environment(L"LUMERIC_SETUP"), kDir = Environment(L"LUMERIC_INSTALL_DIR"),
                   kUserDir = Environment(L"LUMERIC_USER_INSTALL_DIR");

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line as given (NSIS wants /D= last and unquoted), does
// `meanwhile` while it runs, and returns its exit code; one still running a
// minute on is ended and counts as failed.
DWORD RunToEnd(
    std::wstring line, const std::function<void()>& meanwhile = [] {}) {
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

// An installation: where its entry and its shortcuts go.
struct Installation {
    HKEY root;
    std::wstring dir;
    int programsFolder;
    int desktopFolder;
};
// Under Wine the user is an administrator: the default is all users.
const Installation kAllUsers{HKEY_LOCAL_MACHINE, kDir, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY};
const Installation kPerUser{HKEY_CURRENT_USER, kUserDir, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY};

// Its files, its shortcuts and its Apps and Features entry, as Windows lists it.
void ExpectInstalled(const Installation& at) {
    for (const wchar_t* file : {L"\\Lumeric.exe", L"\\lumeric-cli.exe", L"\\README.txt", L"\\uninstall.exe"}) {
        EXPECT_TRUE(Exists(at.dir + file)) << at.dir << file;
    }
    for (int folder : {at.programsFolder, at.desktopFolder}) EXPECT_TRUE(Exists(Shortcut(folder))) << folder;
    EXPECT_EQ(EntryText(at.root, L"DisplayName"), L"Lumeric");
    EXPECT_EQ(EntryText(at.root, L"Publisher"), LUMERIC_PUBLISHER);
    EXPECT_EQ(EntryText(at.root, L"DisplayIcon"), at.dir + L"\\Lumeric.exe");
    EXPECT_EQ(EntryText(at.root, L"DisplayVersion"), LUMERIC_VERSION);
    // Quoted, for the space in the folder's name; Uninstall.* runs it.
    EXPECT_EQ(EntryText(at.root, L"QuietUninstallString"), L"\"" + at.dir + L"\\uninstall.exe\" /S");
}

// No entry, no shortcut, and nothing in the folder (only an empty folder can
// be removed; the folder itself goes once it is empty).
void ExpectGone(const Installation& at) {
    EXPECT_EQ(EntryText(at.root, L"UninstallString"), L"");
    for (int folder : {at.programsFolder, at.desktopFolder}) EXPECT_FALSE(Exists(Shortcut(folder))) << folder;
    EXPECT_FALSE(Exists(at.dir) && !RemoveDirectoryW(at.dir.c_str())) << "something is left in " << at.dir;
}

TEST(Setup, InstallsSilentlyForAllUsersAndJustForMeIntoTheGivenFolders) {
    EXPECT_EQ(RunToEnd(L"\"" + kSetup + L"\" /S /D=" + kDir), 0u);
    EXPECT_EQ(RunToEnd(L"\"" + kSetup + L"\" /S /CurrentUser /D=" + kUserDir), 0u);
}

TEST(Installed, FilesShortcutsVersionsAndAppsAndFeaturesEntries) {
    for (const Installation& at : {kAllUsers, kPerUser}) ExpectInstalled(at);
    for (const std::wstring& file : {kDir + L"\\Lumeric.exe", kDir + L"\\lumeric-cli.exe", kSetup}) {
        EXPECT_EQ(ReadVersion(file), LUMERIC_VERSION_QUAD L" " LUMERIC_VERSION) << file;
    }
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

// An administrator removing the per-user installation removes that one.
TEST(UninstallPerUser, QuietCommandSucceeds) {
    EXPECT_EQ(RunToEnd(EntryText(HKEY_CURRENT_USER, L"QuietUninstallString")), 0u);
}

TEST(PerUserUninstalled, TheAllUsersInstallationStaysWhole) {
    ExpectGone(kPerUser);
    ExpectInstalled(kAllUsers);
}

TEST(Uninstall, QuietCommandSucceeds) {
    EXPECT_EQ(RunToEnd(EntryText(HKEY_LOCAL_MACHINE, L"QuietUninstallString")), 0u);
}

TEST(Uninstalled, NothingLeft) {
    for (const Installation& at : {kAllUsers, kPerUser}) ExpectGone(at);
}

}  // namespace
