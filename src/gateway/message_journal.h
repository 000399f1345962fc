#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "id_ranges.h"
#include "spool_disk.h"
#include "stored_message.h"

// Where the store's messages are: with a folder, on disk in segment files of
// consecutive ids (NNNN.seg, named by their first id, one JSON line per
// message), and in memory only the newest (so that a broker keeping up never
// makes the disk be read) and those the disk has not taken yet; without a
// folder, in memory. A segment whose every message is finished with is
// removed whole, so the disk holds what is pending and a segment or two.
//
// The store's own numbers (the first id not finished, the next id, the
// dropped count, the finished runs above the first) are a small state file
// beside them, replaced at each commit.
class MessageJournal {
public:
    // What a folder held at its opening.
    struct Recovered {
        uint64_t firstOpen = 1;  // ids below it are finished
        uint64_t nextId = 1;
        uint64_t dropped = 0;
        IdRanges finished;  // above firstOpen
    };
    // The disk work of a commit, done outside the store's lock (RunCommit).
    struct Commit {
        std::vector<std::string> sync;  // segments written since the last commit
        std::string statePath;          // empty: the state is not written this time
        std::string state;
        std::vector<std::string> remove;  // segments all finished
    };

    MessageJournal() = default;
    MessageJournal(const MessageJournal&) = delete;
    MessageJournal& operator=(const MessageJournal&) = delete;

    // Keeps the journal in `folder` from now on: what an earlier run left
    // there (a record cut short by a power loss is cut off). Why not, if it cannot.
    std::optional<std::string> Open(SpoolDisk& disk, const std::string& folder, size_t segmentSize,
                                    Recovered& recovered);
    bool OnDisk() const { return m_disk != nullptr; }

    // Keeps the message, ids rising. Behind one the disk refused it waits in
    // memory with it, without a try of its own, for WriteBehind.
    void Append(const StoredMessage& message);
    // Writes up to `most` of the messages waiting in memory, in order.
    void WriteBehind(size_t most);
    bool HasUnwritten() const { return m_unwritten > 0; }
    // The last write was refused.
    bool Refused() const { return m_refused; }
    // The kept message with the lowest id at or above `id`; none when there
    // is none yet, or the disk cannot be read now.
    std::optional<StoredMessage> Read(uint64_t id);
    // The store is finished with these: out of memory.
    void Forget(uint64_t first, uint64_t last);

    // Under the store's lock: what a commit is to do. `withState` writes the
    // store's numbers; segments all in `finished` (or below `firstOpen`) go then.
    Commit PrepareCommit(bool withState, uint64_t firstOpen, uint64_t nextId, uint64_t dropped,
                         const IdRanges& finished);
    // Outside it: false when any of it failed (what was to be synced is then
    // synced again at the next commit).
    static bool RunCommit(SpoolDisk& disk, const Commit& commit);
    void AfterCommit(const Commit& commit, bool ok);
    SpoolDisk* Disk() const { return m_disk; }

private:
    std::string SegmentPath(uint64_t first) const;
    bool Write(const StoredMessage& message);
    void KeepFewWritten();
    std::optional<StoredMessage> FromDisk(uint64_t id);
    bool Load(size_t segment, uint64_t fromId);

    SpoolDisk* m_disk = nullptr;
    std::string m_folder;
    size_t m_segmentSize = 4096;
    std::vector<uint64_t> m_segments;  // first ids, rising; the last is written to
    std::set<std::string> m_unsynced;
    // The newest messages and every one not yet on disk (those from m_firstUnwritten on).
    std::map<uint64_t, StoredMessage> m_memory;
    size_t m_unwritten = 0;
    bool m_refused = false;
    uint64_t m_firstUnwritten = 0;
    // The part of one segment read from disk and not yet handed on.
    static constexpr size_t kNoSegment = SIZE_MAX;
    std::deque<StoredMessage> m_loaded;
    size_t m_loadedSegment = kNoSegment;
    uint64_t m_loadedLastId = 0;
};
