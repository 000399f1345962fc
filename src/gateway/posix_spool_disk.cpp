#include "posix_spool_disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Closes on every way out; -1 is no file.
struct Fd {
    explicit Fd(int value) : fd(value) {}
    ~Fd() {
        if (fd >= 0) close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int fd;
};

bool WriteAll(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool PosixSpoolDisk::Append(const std::string& path, const std::string& bytes) {
    const Fd file(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (file.fd < 0) return false;
    const off_t before = lseek(file.fd, 0, SEEK_END);
    if (before >= 0 && WriteAll(file.fd, bytes)) return true;
    // A record half written would be read as torn at the next start and cut
    // there, with everything after it: cut it now instead.
    if (before >= 0 && ftruncate(file.fd, before) != 0) return false;
    return false;
}

bool PosixSpoolDisk::Sync(const std::string& path) {
    const Fd file(open(path.c_str(), O_WRONLY | O_CLOEXEC));
    return file.fd >= 0 && fdatasync(file.fd) == 0;
}

bool PosixSpoolDisk::Replace(const std::string& path, const std::string& bytes) {
    const std::string fresh = path + ".new";
    {
        const Fd file(open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (file.fd < 0) return false;
        if (!WriteAll(file.fd, bytes) || fsync(file.fd) != 0) {
            unlink(fresh.c_str());
            return false;
        }
    }
    if (rename(fresh.c_str(), path.c_str()) != 0) {
        unlink(fresh.c_str());
        return false;
    }
    // The rename itself is an entry in the folder: on the medium only once the folder is synced.
    const Fd folder(open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.fd >= 0 && fsync(folder.fd) == 0;
}

std::optional<std::string> PosixSpoolDisk::Read(const std::string& path) {
    const Fd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

bool PosixSpoolDisk::Truncate(const std::string& path, uint64_t size) {
    return truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

bool PosixSpoolDisk::Remove(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

std::vector<std::string> PosixSpoolDisk::List(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}
