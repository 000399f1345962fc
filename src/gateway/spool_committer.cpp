#include "spool_committer.h"

namespace {

// Messages that waited in memory for the disk, written per round under the
// store's lock: a millisecond or so, however many wait.
constexpr size_t kWrittenPerRound = 200;

}  // namespace

uint32_t SpoolCommitter::CommitOnce(uint32_t nowMs) {
    const bool withState = !m_stateWritten || nowMs - m_stateWrittenMs >= kStateEveryMs;
    MessageJournal::Commit commit;
    SpoolDisk* disk = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_storeLock);
        commit = m_store.PrepareCommit(withState, kWrittenPerRound);
        disk = m_store.Disk();
    }
    if (!disk) return kCommitEveryMs;
    const bool ok = MessageJournal::RunCommit(*disk, commit);
    bool failing = false;
    bool behind = false;
    {
        std::lock_guard<std::mutex> lock(m_storeLock);
        m_store.AfterCommit(commit, ok);
        failing = m_store.JournalFailing();
        behind = m_store.Unwritten();
    }
    if (ok && !commit.statePath.empty()) {
        m_stateWritten = true;
        m_stateWrittenMs = nowMs;
    }
    if (failing != m_failing) {
        m_failing = failing;
        m_warn(failing ? "the spool cannot be written: readings wait in memory until it can (tried again every second)"
                       : "the spool can be written again");
    }
    if (failing) return kRetryEveryMs;
    return behind ? 0 : kCommitEveryMs;
}
