#pragma once
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>

struct StoredMessage {
    uint64_t id = 0;
    std::string topic;
    std::string payload;
    bool retained = false;
};

// Every message the gateway has taken and the broker has not yet
// acknowledged, oldest first, up to a bound; past it the oldest not yet
// handed to the client goes (those out with the client come on top of the
// bound). With a folder it is also a journal on disk, so a
// gateway killed and started again sends what was pending (a message the
// broker had already taken when the kill came then arrives twice: at least
// once, never lost). Not thread-safe: its owner locks.
//
// The MQTT client's own offline buffer cannot be this store: it gives each
// buffered message a packet id (65535 at most) and counts them one by one
// at every publish.
class MessageStore {
public:
    explicit MessageStore(size_t limit) : m_limit(limit) {}
    ~MessageStore();
    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Keeps the store in `folder` from now on, taking back what a previous
    // run left pending there. Why not, if it cannot.
    std::optional<std::string> OpenJournal(const std::string& folder);

    // Takes a message; true when the oldest had to go to make room.
    bool Add(const std::string& topic, const std::string& payload, bool retained);
    // The oldest message not yet handed out, now handed out, unless
    // `maxInFlight` are already out.
    std::optional<StoredMessage> Hand(size_t maxInFlight);
    // The broker has it.
    void Delivered(uint64_t id);
    // The client gave it back undelivered: hand it out again, in its turn.
    void Returned(uint64_t id);

    size_t Pending() const { return m_entries.size() - m_doneInside; }
    uint64_t Dropped() const { return m_dropped; }
    // A journal line could not be written (disk full...): the store goes on in memory.
    bool JournalFailed() const { return m_journalFailed; }

private:
    struct Entry {
        StoredMessage message;
        bool handed = false;
        bool done = false;
    };
    std::deque<Entry>::iterator Find(uint64_t id);
    void Finish(std::deque<Entry>::iterator entry);
    void Journal(const std::string& line);
    bool Compact();

    size_t m_limit;
    std::deque<Entry> m_entries;
    size_t m_doneInside = 0;  // entries done but behind an older one still pending
    size_t m_inFlight = 0;
    uint64_t m_nextId = 1;
    uint64_t m_dropped = 0;
    std::string m_path;
    std::FILE* m_journal = nullptr;
    size_t m_journalLines = 0;
    bool m_journalFailed = false;
};
