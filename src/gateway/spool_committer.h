#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "message_store.h"

// The store's group commit, for a thread of its own: every few tens of
// milliseconds the segments written meanwhile are synced (one sync for all
// the readings of a pass), and once a second the store's numbers with them.
// The disk work is done outside the store's lock, so a slow or failing disk
// never holds up the poll; a failing one is tried again once a second, and
// said once when it fails and once when it is back.
class SpoolCommitter {
public:
    static constexpr uint32_t kCommitEveryMs = 50;
    static constexpr uint32_t kStateEveryMs = 1000;
    static constexpr uint32_t kRetryEveryMs = 1000;

    using Warn = std::function<void(const std::string&)>;
    SpoolCommitter(MessageStore& store, std::mutex& storeLock, Warn warn)
        : m_store(store), m_storeLock(storeLock), m_warn(std::move(warn)) {}

    // One commit at `nowMs`; how long to wait before the next.
    uint32_t CommitOnce(uint32_t nowMs);

private:
    MessageStore& m_store;
    std::mutex& m_storeLock;
    Warn m_warn;
    bool m_stateWritten = false;
    uint32_t m_stateWrittenMs = 0;
    bool m_failing = false;
};
