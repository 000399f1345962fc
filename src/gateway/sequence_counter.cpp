#include "sequence_counter.h"

#include <algorithm>
#include <cstdlib>

std::optional<std::string> SequenceCounter::Open(SpoolDisk& disk, const std::string& folder) {
    m_disk = &disk;
    m_path = folder + "/sequence";
    if (const auto mark = disk.Read(m_path)) m_next = std::max<uint64_t>(1, std::strtoull(mark->c_str(), nullptr, 10));
    // Taking the first block now proves the folder writable before any poll.
    if (!disk.Replace(m_path, std::to_string(m_next + kBlock) + "\n")) return "cannot write " + m_path;
    m_mark = m_next + kBlock;
    return std::nullopt;
}

uint64_t SequenceCounter::Next(bool& kept) {
    kept = true;
    if (m_disk && m_next >= m_mark) {
        kept = m_disk->Replace(m_path, std::to_string(m_next + kBlock) + "\n");
        if (kept) m_mark = m_next + kBlock;
    }
    return m_next++;
}
