#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The few things the spool asks of its folder's file system, whole files at a
// time, so that a test can make any of them fail (a full disk, a dying card)
// without filling a real one.
class SpoolDisk {
public:
    virtual ~SpoolDisk() = default;
    // Adds `bytes` at the end of the file, creating it; false when they are
    // not all there, and then the file is cut back to where it ended before.
    virtual bool Append(const std::string& path, const std::string& bytes) = 0;
    // The file's data on the medium (fdatasync): what survives a power loss.
    virtual bool Sync(const std::string& path) = 0;
    // The file holds `bytes` or what it held before, never a mix, across a
    // power loss too: a new file synced, renamed over it, the folder synced.
    virtual bool Replace(const std::string& path, const std::string& bytes) = 0;
    virtual std::optional<std::string> Read(const std::string& path) = 0;
    virtual bool Truncate(const std::string& path, uint64_t size) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // The names of the files in `folder`; none when it cannot be read.
    virtual std::vector<std::string> List(const std::string& folder) = 0;
};
