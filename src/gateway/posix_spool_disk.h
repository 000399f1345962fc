#pragma once
#include "spool_disk.h"

// The spool's files on a Linux file system, each call opening and closing
// what it needs: a gateway writes a few hundred records a second at most.
class PosixSpoolDisk : public SpoolDisk {
public:
    bool Append(const std::string& path, const std::string& bytes) override;
    bool Sync(const std::string& path) override;
    bool Replace(const std::string& path, const std::string& bytes) override;
    std::optional<std::string> Read(const std::string& path) override;
    bool Truncate(const std::string& path, uint64_t size) override;
    bool Remove(const std::string& path) override;
    std::vector<std::string> List(const std::string& folder) override;
};
