#include "message_store.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

// A segment is a quarter of the bound, so the disk holds at most the bound
// and a segment or two besides, and reading one (under the lock the poll
// takes too) is a millisecond or two.
size_t SegmentSize(size_t limit) { return std::clamp<size_t>(limit / 4, 16, 1024); }

}  // namespace

std::optional<std::string> MessageStore::OpenJournal(const std::string& folder, SpoolDisk& disk) {
    MessageJournal::Recovered recovered;
    if (auto why = m_journal.Open(disk, folder, SegmentSize(m_limit), recovered)) return why;
    m_nextId = recovered.nextId;
    m_firstOpen = m_readNext = recovered.firstOpen;
    m_dropped = recovered.dropped;
    m_finished = recovered.finished;
    // A smaller bound than the last run's keeps the newest, run by run.
    while (Pending() > m_limit) {
        const uint64_t first = m_finished.FirstGapFrom(m_readNext);
        const uint64_t end = std::min(m_finished.FirstInFrom(first), m_nextId);
        const uint64_t count = std::min<uint64_t>(end - first, Pending() - m_limit);
        Finish(first, first + count - 1);
        m_dropped += count;
        m_readNext = first + count;
    }
    ImportSingleFileJournal(folder, disk);
    return std::nullopt;
}

// A spool written by an earlier version, one file of message and "done"
// lines: what it held pending moves into the segments, after what they hold,
// and the file goes once they are synced (a kill between the two sends them twice).
void MessageStore::ImportSingleFileJournal(const std::string& folder, SpoolDisk& disk) {
    const std::string path = folder + "/messages.journal";
    const auto bytes = disk.Read(path);
    if (!bytes) return;
    std::map<uint64_t, StoredMessage> pending;
    std::istringstream lines(*bytes);
    for (std::string line; std::getline(lines, line);) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        if (!record.is_object()) continue;  // a line cut short by a power loss
        if (record.contains("done")) {
            pending.erase(record.value("done", uint64_t{0}));
        } else if (record.contains("id")) {
            const uint64_t id = record.value("id", uint64_t{0});
            pending[id] = {id, record.value("t", ""), record.value("p", ""), record.value("r", false)};
        }
    }
    for (const auto& [id, message] : pending) Add(message.topic, message.payload, message.retained);
    const auto commit = PrepareCommit(true, SIZE_MAX);
    const bool ok = MessageJournal::RunCommit(disk, commit);
    AfterCommit(commit, ok);
    if (ok) disk.Remove(path);
}

bool MessageStore::Add(const std::string& topic, const std::string& payload, bool retained) {
    const bool dropped = Pending() >= m_limit && DropOldestWaiting();
    m_journal.Append(StoredMessage{m_nextId++, topic, payload, retained});
    return dropped;
}

// The oldest the client has not got: those it has are on their way, and
// dropping them here would count as lost what still arrives.
bool MessageStore::DropOldestWaiting() {
    uint64_t id = 0;
    if (!m_returned.empty()) {
        id = m_returned.begin()->first;
        m_returned.erase(m_returned.begin());
    } else {
        m_readNext = m_finished.FirstGapFrom(m_readNext);
        if (m_readNext >= m_nextId) return false;
        id = m_readNext++;
    }
    Finish(id, id);
    ++m_dropped;
    return true;
}

std::optional<StoredMessage> MessageStore::Hand(size_t maxInFlight) {
    if (m_handed.size() >= maxInFlight) return std::nullopt;
    std::optional<StoredMessage> next;
    if (!m_returned.empty()) {
        next = std::move(m_returned.begin()->second);
        m_returned.erase(m_returned.begin());
    } else {
        m_readNext = m_finished.FirstGapFrom(m_readNext);
        if (m_readNext >= m_nextId) return std::nullopt;
        next = m_journal.Read(m_readNext);
        if (!next) return std::nullopt;  // the disk cannot be read now: later
        // Ids the journal does not have (a record the disk lost) are given up, counted.
        if (next->id > m_readNext) {
            m_dropped += next->id - m_readNext - m_finished.CountFrom(m_readNext) + m_finished.CountFrom(next->id);
            Finish(m_readNext, next->id - 1);
        }
        m_readNext = next->id + 1;
    }
    m_handed.emplace(next->id, *next);
    return next;
}

void MessageStore::Delivered(uint64_t id) {
    if (m_handed.erase(id) == 0) return;  // dropped meanwhile
    Finish(id, id);
}

void MessageStore::Returned(uint64_t id) {
    const auto handed = m_handed.find(id);
    if (handed == m_handed.end()) return;
    m_returned.insert(m_handed.extract(handed));
}

void MessageStore::Finish(uint64_t first, uint64_t last) {
    m_finished.Add(first, last);
    m_journal.Forget(first, last);
    m_firstOpen = m_finished.FirstGapFrom(m_firstOpen);
    m_finished.ForgetBelow(m_firstOpen);
}

MessageJournal::Commit MessageStore::PrepareCommit(bool withState, size_t most) {
    m_journal.WriteBehind(most);
    return m_journal.PrepareCommit(withState && !m_journal.HasUnwritten(), m_firstOpen, m_nextId, m_dropped,
                                   m_finished);
}

void MessageStore::AfterCommit(const MessageJournal::Commit& commit, bool ok) {
    m_journal.AfterCommit(commit, ok);
    m_commitFailed = !ok;
}
