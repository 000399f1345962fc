#include "posix_record_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

// What failed, with errno as the system's own number.
FileError LastFileError() {
    FileFailure failure = FileFailure::Other;
    switch (errno) {
    case ENOENT:
    case ENOTDIR: failure = FileFailure::FolderMissing; break;
    case ENOSPC:
    case EDQUOT: failure = FileFailure::DiskFull; break;
    case ETXTBSY:
    case EBUSY: failure = FileFailure::InUse; break;
    case EACCES:
    case EPERM:
    case EROFS: failure = FileFailure::AccessDenied; break;
    default: break;
    }
    return FileError{failure, static_cast<uint32_t>(errno)};
}

}  // namespace

LocalTime PosixLocalClock::Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    return LocalTime{local.tm_year + 1900,
                     local.tm_mon + 1,
                     local.tm_mday,
                     local.tm_hour,
                     local.tm_min,
                     local.tm_sec,
                     static_cast<int>(now.tv_nsec / 1000000)};
}

FileError PosixOutputFile::Create(const std::string& path) {
    bool empty = true;
    return Open(path, O_TRUNC, empty);
}

FileError PosixOutputFile::OpenToAppend(const std::string& path, bool& empty) { return Open(path, O_APPEND, empty); }

FileError PosixOutputFile::Open(const std::string& path, int mode, bool& empty) {
    Close();
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | mode | O_CLOEXEC, 0644);
    if (m_fd < 0) return LastFileError();
    // A pipe, a terminal or /dev/null has nothing to sync and refuses fdatasync.
    struct stat status {};
    const bool known = fstat(m_fd, &status) == 0;
    m_syncToDisk = known && S_ISREG(status.st_mode);
    empty = !m_syncToDisk || status.st_size == 0;
    return FileError{};
}

FileError PosixOutputFile::Write(const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(m_fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return LastFileError();
        // A regular file that takes nothing has run out of room.
        if (n == 0) return FileError{FileFailure::DiskFull, ENOSPC};
        written += static_cast<size_t>(n);
    }
    return FileError{};
}

FileError PosixOutputFile::Flush() {
    if (!m_syncToDisk) return FileError{};
    return fdatasync(m_fd) == 0 ? FileError{} : LastFileError();
}

void PosixOutputFile::Close() {
    if (m_fd < 0) return;
    close(m_fd);
    m_fd = -1;
}
