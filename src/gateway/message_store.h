#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "id_ranges.h"
#include "message_journal.h"
#include "stored_message.h"

// Every message the gateway has taken and the broker has not yet
// acknowledged, oldest first, up to a bound; past it the oldest not yet
// handed to the client goes, counted (those out with the client come on top
// of the bound). With a folder the messages are on disk, a window of them in
// memory (MessageJournal), so a gateway killed and started again sends what
// was pending; what was acknowledged since the last commit then arrives a
// second time: at least once, never lost. Not thread-safe: its owner locks.
//
// The MQTT client's own offline buffer cannot be this store: it gives each
// buffered message a packet id (65535 at most) and counts them one by one
// at every publish.
class MessageStore {
public:
    explicit MessageStore(size_t limit) : m_limit(limit) {}
    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Keeps the store in `folder` from now on, taking back what a previous
    // run left pending there, the bound applied. Why not, if it cannot.
    std::optional<std::string> OpenJournal(const std::string& folder, SpoolDisk& disk);

    // Takes a message; true when the oldest had to go to make room. A disk
    // that refuses it costs one attempt: the message waits in memory for the
    // commit to write it.
    bool Add(const std::string& topic, const std::string& payload, bool retained);
    // The oldest message not yet handed out, now handed out, unless
    // `maxInFlight` are already out.
    std::optional<StoredMessage> Hand(size_t maxInFlight);
    // The broker has it.
    void Delivered(uint64_t id);
    // The client gave it back undelivered: hand it out again, in its turn.
    void Returned(uint64_t id);

    size_t Pending() const { return static_cast<size_t>(m_nextId - m_firstOpen - m_finished.CountFrom(m_firstOpen)); }
    // Given up to keep the bound, in this run and those before it on the same folder.
    uint64_t Dropped() const { return m_dropped; }

    // The group commit, in two halves around the owner's lock: under it,
    // messages the disk refused before are written (`most` at a time) and
    // the rest of the work is taken out; outside it, the work is done.
    MessageJournal::Commit PrepareCommit(bool withState, size_t most);
    void AfterCommit(const MessageJournal::Commit& commit, bool ok);
    // The disk refuses messages or commits: they wait in memory meanwhile.
    bool JournalFailing() const { return m_journal.Refused() || m_commitFailed; }
    // Messages wait in memory for the disk.
    bool Unwritten() const { return m_journal.HasUnwritten(); }
    SpoolDisk* Disk() const { return m_journal.Disk(); }

private:
    void Finish(uint64_t first, uint64_t last);
    void ImportSingleFileJournal(const std::string& folder, SpoolDisk& disk);
    bool DropOldestWaiting();

    size_t m_limit;
    MessageJournal m_journal;
    uint64_t m_nextId = 1;
    uint64_t m_firstOpen = 1;  // every id below it is finished
    IdRanges m_finished;       // delivered or dropped, above m_firstOpen
    uint64_t m_dropped = 0;
    uint64_t m_readNext = 1;  // the first id never handed out
    std::map<uint64_t, StoredMessage> m_handed;
    std::map<uint64_t, StoredMessage> m_returned;  // handed out and given back
    bool m_commitFailed = false;
};
