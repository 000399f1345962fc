#include "message_journal.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace {

// Written messages kept in memory beside the disk: a broker that keeps up
// takes them from here, and the disk is read only for a backlog.
constexpr size_t kWrittenKeptInMemory = 1000;
constexpr const char* kSegmentSuffix = ".seg";

std::string RecordLine(const StoredMessage& message) {
    return nlohmann::json{{"id", message.id}, {"t", message.topic}, {"p", message.payload}, {"r", message.retained}}
               .dump() +
           "\n";
}

// The records of a segment's bytes in order, and where the last whole one
// ends: what follows it is a record cut short by a power loss.
struct ParsedSegment {
    std::vector<StoredMessage> messages;
    size_t wholeBytes = 0;
};

ParsedSegment ParseSegment(const std::string& bytes, uint64_t fromId) {
    ParsedSegment parsed;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string::npos) break;
        const auto record = nlohmann::json::parse(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                                  bytes.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
        start = end + 1;
        if (!record.is_object() || !record.contains("id")) continue;
        parsed.wholeBytes = start;
        const uint64_t id = record.value("id", uint64_t{0});
        if (id < fromId) continue;
        parsed.messages.push_back({id, record.value("t", ""), record.value("p", ""), record.value("r", false)});
    }
    return parsed;
}

std::optional<uint64_t> SegmentFirstId(const std::string& name) {
    const size_t suffix = name.size() - std::string(kSegmentSuffix).size();
    if (name.size() <= 4 || name.compare(suffix, std::string::npos, kSegmentSuffix) != 0) return std::nullopt;
    if (name.find_first_not_of("0123456789") != suffix) return std::nullopt;
    return std::strtoull(name.c_str(), nullptr, 10);
}

std::string StateText(uint64_t firstOpen, uint64_t nextId, uint64_t dropped, const IdRanges& finished) {
    return nlohmann::json{
               {"first_open", firstOpen}, {"next", nextId}, {"dropped", dropped}, {"finished", finished.Runs()}}
               .dump() +
           "\n";
}

}  // namespace

std::string MessageJournal::SegmentPath(uint64_t first) const {
    char name[32];
    std::snprintf(name, sizeof name, "%020" PRIu64 "%s", first, kSegmentSuffix);
    return m_folder + "/" + name;
}

std::optional<std::string> MessageJournal::Open(SpoolDisk& disk, const std::string& folder, size_t segmentSize,
                                                Recovered& recovered) {
    m_disk = &disk;
    m_folder = folder;
    m_segmentSize = std::max<size_t>(segmentSize, 1);
    for (const std::string& name : disk.List(folder)) {
        if (const auto first = SegmentFirstId(name)) m_segments.push_back(*first);
    }
    std::sort(m_segments.begin(), m_segments.end());

    // A state that cannot be read leaves everything on disk pending: sent again, never lost.
    const auto state = nlohmann::json::parse(disk.Read(folder + "/state").value_or(""), nullptr, false);
    if (state.is_object()) {
        recovered.firstOpen = std::max<uint64_t>(1, state.value("first_open", uint64_t{1}));
        recovered.nextId = state.value("next", uint64_t{1});
        recovered.dropped = state.value("dropped", uint64_t{0});
        for (const auto& run : state.value("finished", nlohmann::json::array())) {
            recovered.finished.Add(run.at(0).get<uint64_t>(), run.at(1).get<uint64_t>());
        }
    } else if (!m_segments.empty()) {
        recovered.firstOpen = m_segments.front();
    }

    uint64_t lastOnDisk = 0;
    if (!m_segments.empty()) {
        const std::string path = SegmentPath(m_segments.back());
        const auto bytes = disk.Read(path);
        if (!bytes) return "cannot read " + path;
        const ParsedSegment last = ParseSegment(*bytes, 0);
        if (last.wholeBytes < bytes->size() && !disk.Truncate(path, last.wholeBytes)) return "cannot repair " + path;
        lastOnDisk = last.messages.empty() ? m_segments.back() - 1 : last.messages.back().id;
    }
    // Numbers handed out but never on disk (a power loss before they were
    // written) are finished: a later message must not take them.
    recovered.finished.Add(lastOnDisk + 1, recovered.nextId - 1);
    recovered.nextId = std::max(recovered.nextId, lastOnDisk + 1);
    if (m_segments.empty()) recovered.firstOpen = recovered.nextId;
    recovered.firstOpen = recovered.finished.FirstGapFrom(recovered.firstOpen);
    recovered.finished.ForgetBelow(recovered.firstOpen);
    return std::nullopt;
}

void MessageJournal::Append(const StoredMessage& message) {
    m_memory.emplace(message.id, message);
    if (m_unwritten++ == 0) m_firstUnwritten = message.id;
    if (m_unwritten == 1) WriteBehind(1);
}

bool MessageJournal::Write(const StoredMessage& message) {
    if (m_segments.empty() || message.id >= m_segments.back() + m_segmentSize) m_segments.push_back(message.id);
    const std::string path = SegmentPath(m_segments.back());
    m_refused = !m_disk->Append(path, RecordLine(message));
    if (!m_refused) m_unsynced.insert(path);
    return !m_refused;
}

void MessageJournal::WriteBehind(size_t most) {
    if (!m_disk) return;
    for (auto message = m_memory.lower_bound(m_firstUnwritten); m_unwritten > 0 && most > 0; --most) {
        if (!Write(message->second)) return;
        --m_unwritten;
        if (++message != m_memory.end()) m_firstUnwritten = message->first;
    }
    KeepFewWritten();
}

void MessageJournal::KeepFewWritten() {
    while (m_memory.size() - m_unwritten > kWrittenKeptInMemory) m_memory.erase(m_memory.begin());
}

std::optional<StoredMessage> MessageJournal::Read(uint64_t id) {
    if (!m_memory.empty() && id >= m_memory.begin()->first) {
        const auto message = m_memory.lower_bound(id);
        if (message == m_memory.end()) return std::nullopt;
        return message->second;
    }
    if (!m_disk) return m_memory.empty() ? std::nullopt : std::optional<StoredMessage>(m_memory.begin()->second);
    return FromDisk(id);
}

std::optional<StoredMessage> MessageJournal::FromDisk(uint64_t id) {
    while (!m_loaded.empty() && m_loaded.front().id < id) m_loaded.pop_front();
    if (!m_loaded.empty()) return m_loaded.front();
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), id);
    size_t segment = after == m_segments.begin() ? 0 : static_cast<size_t>(after - m_segments.begin()) - 1;
    // A full segment read to its end has nothing more: go on with the next.
    if (segment == m_loadedSegment && segment + 1 < m_segments.size() && id > m_loadedLastId) ++segment;
    for (; segment < m_segments.size(); ++segment) {
        if (!Load(segment, id)) return std::nullopt;
        if (!m_loaded.empty()) return m_loaded.front();
    }
    if (m_memory.empty()) return std::nullopt;
    return m_memory.begin()->second;
}

bool MessageJournal::Load(size_t segment, uint64_t fromId) {
    const auto bytes = m_disk->Read(SegmentPath(m_segments[segment]));
    if (!bytes) return false;
    ParsedSegment parsed = ParseSegment(*bytes, fromId);
    m_loaded.assign(std::make_move_iterator(parsed.messages.begin()), std::make_move_iterator(parsed.messages.end()));
    m_loadedSegment = segment;
    m_loadedLastId = m_loaded.empty() ? fromId : m_loaded.back().id;
    return true;
}

void MessageJournal::Forget(uint64_t first, uint64_t last) {
    const auto begin = m_memory.lower_bound(first);
    const auto end = m_memory.upper_bound(last);
    if (m_unwritten > 0) {
        for (auto message = begin; message != end; ++message) m_unwritten -= message->first >= m_firstUnwritten;
        if (end != m_memory.end() && first <= m_firstUnwritten && m_firstUnwritten <= last)
            m_firstUnwritten = end->first;
    }
    m_memory.erase(begin, end);
}

MessageJournal::Commit MessageJournal::PrepareCommit(bool withState, uint64_t firstOpen, uint64_t nextId,
                                                     uint64_t dropped, const IdRanges& finished) {
    Commit commit;
    if (!m_disk) return commit;
    commit.sync.assign(m_unsynced.begin(), m_unsynced.end());
    m_unsynced.clear();
    if (!withState) return commit;
    commit.statePath = m_folder + "/state";
    commit.state = StateText(firstOpen, nextId, dropped, finished);
    // Never the one written to; the others once every message in them is finished.
    while (m_segments.size() > 1) {
        const uint64_t last = m_segments[1] - 1;
        if (last >= firstOpen && !finished.Covers(std::max(firstOpen, m_segments[0]), last)) break;
        commit.remove.push_back(SegmentPath(m_segments[0]));
        m_segments.erase(m_segments.begin());
        if (m_loadedSegment == 0) m_loaded.clear();
        if (m_loadedSegment != kNoSegment) m_loadedSegment = m_loadedSegment == 0 ? kNoSegment : m_loadedSegment - 1;
    }
    return commit;
}

bool MessageJournal::RunCommit(SpoolDisk& disk, const Commit& commit) {
    bool ok = true;
    for (const std::string& path : commit.sync) ok = disk.Sync(path) && ok;
    if (commit.statePath.empty()) return ok;
    // The segments go only once the state that finishes them is on the disk:
    // a power loss between the two leaves a segment that the next start removes.
    if (!disk.Replace(commit.statePath, commit.state)) return false;
    for (const std::string& path : commit.remove) ok = disk.Remove(path) && ok;
    return ok;
}

void MessageJournal::AfterCommit(const Commit& commit, bool ok) {
    if (!ok) m_unsynced.insert(commit.sync.begin(), commit.sync.end());
}
