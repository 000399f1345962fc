#include "sequence_counter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// One fixed-width record, rewritten in place by one small write: a kill
// between two writes leaves the one or the other.
constexpr size_t kRecordSize = 21;
}  // namespace

SequenceCounter::~SequenceCounter() {
    if (m_fd >= 0) close(m_fd);
}

std::optional<std::string> SequenceCounter::Open(const std::string& folder) {
    const std::string path = folder + "/sequence";
    m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
    char record[kRecordSize + 1] = {};
    if (pread(m_fd, record, kRecordSize, 0) > 0) m_next = std::max<uint64_t>(1, std::strtoull(record, nullptr, 10));
    return std::nullopt;
}

uint64_t SequenceCounter::Next(bool& kept) {
    const uint64_t number = m_next++;
    kept = true;
    if (m_fd >= 0) {
        char record[kRecordSize + 1];
        std::snprintf(record, sizeof record, "%020llu\n", static_cast<unsigned long long>(m_next));
        kept = pwrite(m_fd, record, kRecordSize, 0) == static_cast<ssize_t>(kRecordSize);
    }
    return number;
}
