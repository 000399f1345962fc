#pragma once
// A spool folder in memory that can fail and lose power: each file keeps what
// it held at its last sync, and a power loss brings every file back to that.
#include <algorithm>
#include <map>
#include <mutex>

#include "spool_disk.h"

class FakeSpoolDisk : public SpoolDisk {
public:
    struct File {
        std::string data;
        std::optional<std::string> synced;  // none: the file itself is not on the medium yet
    };
    bool full = false;                // every write, sync and replace refused
    int calls = 0;                    // of all of those
    std::mutex* storeLock = nullptr;  // when set: held during a sync, replace or remove is a fault
    bool lockHeldDuringWork = false;
    std::map<std::string, File> files;

    bool Append(const std::string& path, const std::string& bytes) override {
        ++calls;
        return !full && (files[path].data += bytes, true);
    }
    bool Sync(const std::string& path) override {
        if (!Work()) return false;
        files[path].synced = files[path].data;
        return true;
    }
    bool Replace(const std::string& path, const std::string& bytes) override {
        if (!Work()) return false;
        files[path] = File{bytes, bytes};
        return true;
    }
    std::optional<std::string> Read(const std::string& path) override {
        const auto file = files.find(path);
        return file == files.end() ? std::nullopt : std::optional<std::string>(file->second.data);
    }
    bool Truncate(const std::string& path, uint64_t size) override {
        files[path].data.resize(size);
        return true;
    }
    bool Remove(const std::string& path) override { return Work() && (files.erase(path), true); }
    std::vector<std::string> List(const std::string& folder) override {
        std::vector<std::string> names;
        for (const auto& [path, file] : files) {
            if (path.rfind(folder + "/", 0) == 0) names.push_back(path.substr(folder.size() + 1));
        }
        return names;
    }
    void PowerLoss() {
        for (auto file = files.begin(); file != files.end();) {
            if (!file->second.synced) {
                file = files.erase(file);
            } else {
                file->second.data = *file->second.synced;
                ++file;
            }
        }
    }
    // Lines in the folder's segment files.
    size_t SegmentLines() const {
        size_t lines = 0;
        for (const auto& [path, file] : files) {
            if (path.size() > 4 && path.compare(path.size() - 4, 4, ".seg") == 0)
                lines += std::count(file.data.begin(), file.data.end(), '\n');
        }
        return lines;
    }

private:
    bool Work() {
        ++calls;
        if (storeLock && !storeLock->try_lock())
            lockHeldDuringWork = true;
        else if (storeLock)
            storeLock->unlock();
        return !full;
    }
};
