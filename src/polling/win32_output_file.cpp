#include "win32_record_io.h"
#include "win32_utf16.h"

namespace {

// The reason the operator is told: what failed, in the system's own number too.
FileError LastFileError() {
    const DWORD code = GetLastError();
    FileFailure failure = FileFailure::Other;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: failure = FileFailure::FolderMissing; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: failure = FileFailure::DiskFull; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: failure = FileFailure::InUse; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: failure = FileFailure::AccessDenied; break;
    default: break;
    }
    return FileError{failure, code};
}

}  // namespace

FileError Win32OutputFile::Create(const std::string& path) {
    Close();
    // Shared for reading, so that the operator can look into a record while it grows.
    m_file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_file == INVALID_HANDLE_VALUE ? LastFileError() : FileError{};
}

FileError Win32OutputFile::OpenToAppend(const std::string& path, bool& empty) {
    Close();
    // FILE_APPEND_DATA alone: every write goes to the end, whatever another program did meanwhile.
    m_file = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return LastFileError();
    LARGE_INTEGER size{};
    empty = !GetFileSizeEx(m_file, &size) || size.QuadPart == 0;
    return FileError{};
}

FileError Win32OutputFile::Write(const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return LastFileError();
    // A synchronous write to a file that stops short has run out of room.
    if (written != bytes.size()) return FileError{FileFailure::DiskFull, ERROR_DISK_FULL};
    return FileError{};
}

FileError Win32OutputFile::Flush() { return FlushFileBuffers(m_file) ? FileError{} : LastFileError(); }

void Win32OutputFile::Close() {
    if (m_file == INVALID_HANDLE_VALUE) return;
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}
