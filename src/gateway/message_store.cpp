#include "message_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

namespace {

std::string MessageLine(const StoredMessage& message) {
    return nlohmann::json{{"id", message.id}, {"t", message.topic}, {"p", message.payload}, {"r", message.retained}}
               .dump() +
           "\n";
}

std::string DoneLine(uint64_t id) { return nlohmann::json{{"done", id}}.dump() + "\n"; }

}  // namespace

MessageStore::~MessageStore() {
    if (m_journal) std::fclose(m_journal);
}

std::optional<std::string> MessageStore::OpenJournal(const std::string& folder) {
    m_path = folder + "/messages.journal";
    std::map<uint64_t, StoredMessage> pending;
    std::ifstream old(m_path);
    for (std::string line; std::getline(old, line);) {
        // A line cut short by a power loss is skipped: it was never handed out.
        const nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
        if (!record.is_object()) continue;
        if (record.contains("done")) {
            pending.erase(record.value("done", uint64_t{0}));
        } else if (record.contains("id")) {
            StoredMessage message{record.value("id", uint64_t{0}), record.value("t", ""), record.value("p", ""),
                                  record.value("r", false)};
            pending[message.id] = message;
        }
    }
    for (auto& [id, message] : pending) {
        m_nextId = std::max(m_nextId, id + 1);
        m_entries.push_back(Entry{message});
    }
    while (m_entries.size() > m_limit) {
        m_entries.pop_front();
        ++m_dropped;
    }
    if (!Compact()) return "cannot write " + m_path + ": " + std::strerror(errno);
    return std::nullopt;
}

bool MessageStore::Add(const std::string& topic, const std::string& payload, bool retained) {
    bool dropped = false;
    if (Pending() >= m_limit) {
        // The oldest the client has not got yet: those it has are on their
        // way, and dropping them here would count as lost what still arrives.
        const auto oldest = std::find_if(m_entries.begin(), m_entries.end(),
                                         [](const Entry& entry) { return !entry.handed && !entry.done; });
        if (oldest != m_entries.end()) {
            Journal(DoneLine(oldest->message.id));
            // Gone at once, not marked done: behind messages out with a client
            // that is away, marked ones would pile up and be walked at every add.
            m_entries.erase(oldest);
            ++m_dropped;
            dropped = true;
        }
    }
    Entry entry{StoredMessage{m_nextId++, topic, payload, retained}};
    // On the disk before anyone can have it: a kill after this loses nothing.
    Journal(MessageLine(entry.message));
    m_entries.push_back(std::move(entry));
    return dropped;
}

std::optional<StoredMessage> MessageStore::Hand(size_t maxInFlight) {
    if (m_inFlight >= maxInFlight) return std::nullopt;
    for (Entry& entry : m_entries) {
        if (entry.handed || entry.done) continue;
        entry.handed = true;
        ++m_inFlight;
        return entry.message;
    }
    return std::nullopt;
}

void MessageStore::Delivered(uint64_t id) {
    const auto entry = Find(id);
    if (entry == m_entries.end()) return;  // dropped meanwhile
    if (entry->handed) --m_inFlight;
    entry->handed = false;
    Journal(DoneLine(id));
    Finish(entry);
    if (m_journalLines > 2 * Pending() + 10000) Compact();
}

void MessageStore::Returned(uint64_t id) {
    const auto entry = Find(id);
    if (entry == m_entries.end() || !entry->handed) return;
    entry->handed = false;
    --m_inFlight;
}

std::deque<MessageStore::Entry>::iterator MessageStore::Find(uint64_t id) {
    const auto entry = std::lower_bound(m_entries.begin(), m_entries.end(), id,
                                        [](const Entry& e, uint64_t wanted) { return e.message.id < wanted; });
    return entry != m_entries.end() && entry->message.id == id && !entry->done ? entry : m_entries.end();
}

void MessageStore::Finish(std::deque<Entry>::iterator entry) {
    entry->done = true;
    ++m_doneInside;
    while (!m_entries.empty() && m_entries.front().done) {
        m_entries.pop_front();
        --m_doneInside;
    }
}

void MessageStore::Journal(const std::string& line) {
    if (!m_journal) return;
    // Unbuffered: the line is the kernel's once this returns, so a SIGKILL keeps it.
    if (std::fwrite(line.data(), 1, line.size(), m_journal) != line.size() || std::fflush(m_journal) != 0) {
        m_journalFailed = true;
    }
    ++m_journalLines;
}

// Rewrites the journal with the pending messages alone, replacing the old one
// in one rename so that a kill meanwhile leaves one or the other whole.
bool MessageStore::Compact() {
    const std::string fresh = m_path + ".new";
    std::FILE* file = std::fopen(fresh.c_str(), "w");
    if (!file) return false;
    bool written = true;
    for (const Entry& entry : m_entries) {
        if (entry.done) continue;
        const std::string line = MessageLine(entry.message);
        written = written && std::fwrite(line.data(), 1, line.size(), file) == line.size();
    }
    written = std::fflush(file) == 0 && written;
    if (!written || std::rename(fresh.c_str(), m_path.c_str()) != 0) {
        std::fclose(file);
        std::remove(fresh.c_str());
        return false;
    }
    if (m_journal) std::fclose(m_journal);
    m_journal = file;
    m_journalLines = Pending();
    return true;
}
