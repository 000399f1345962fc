#include "stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

StopSignal::StopSignal() {
    if (pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0) m_fds[0] = m_fds[1] = -1;
}

StopSignal::~StopSignal() {
    if (m_fds[0] >= 0) close(m_fds[0]);
    if (m_fds[1] >= 0) close(m_fds[1]);
}

void StopSignal::Raise() {
    const char byte = 1;
    // Nobody reads the pipe, so one byte keeps it readable for ever.
    [[maybe_unused]] const ssize_t ignored = write(m_fds[1], &byte, 1);
}

bool StopSignal::Raised() const {
    pollfd fd{m_fds[0], POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}
