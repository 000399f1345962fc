#include "posix_serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {
speed_t SpeedFor(uint32_t baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}
}  // namespace

PosixSerialLine::~PosixSerialLine() { Close(); }

bool PosixSerialLine::Open(const std::string& path, uint32_t baud, bool exclusive) {
    Close();
    m_gone = false;
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) return false;
    if ((exclusive && flock(m_fd, LOCK_EX | LOCK_NB) != 0) || !Configure(baud)) {
        Close();
        return false;
    }
    return true;
}

bool PosixSerialLine::Configure(uint32_t baud) {
    const speed_t speed = SpeedFor(baud);
    termios settings{};
    if (speed == B0 || tcgetattr(m_fd, &settings) != 0) return false;
    cfmakeraw(&settings);  // 8 data bits, no parity, no echo, no translation
    // cfmakeraw leaves XON/XOFF input control and restart on any byte as the
    // last user of the device set them: 0x11 and 0x13 are frame bytes here.
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0) return false;
    if (tcsetattr(m_fd, TCSANOW, &settings) != 0) return false;
    tcflush(m_fd, TCIOFLUSH);
    return true;
}

void PosixSerialLine::NoteFailure(int error) {
    if (error == EIO || error == ENXIO || error == ENODEV) m_gone = true;
}

void PosixSerialLine::Close() {
    if (m_fd < 0) return;
    close(m_fd);
    m_fd = -1;
}

LineStatus PosixSerialLine::QueryStatus() {
    LineStatus status;
    int queued = 0;
    if (m_fd < 0) return status;
    if (ioctl(m_fd, FIONREAD, &queued) != 0) {
        NoteFailure(errno);
        return status;
    }
    status.succeeded = true;
    status.queued = queued > 0 ? static_cast<uint32_t>(queued) : 0;
    return status;
}

LineStatus PosixSerialLine::QueryErrors() {
    // termios reports no framing or overrun flags out of band; with raw mode
    // (no PARMRK) they never reach us, so a line error is never flagged.
    LineStatus status;
    status.succeeded = m_fd >= 0;
    return status;
}

void PosixSerialLine::PurgeInput() {
    if (m_fd >= 0) tcflush(m_fd, TCIFLUSH);
}

void PosixSerialLine::PurgeOutput() {
    if (m_fd >= 0) tcflush(m_fd, TCOFLUSH);
}

ReadResult PosixSerialLine::Read(uint8_t* dest, uint32_t count, uint32_t /*shortWaitMs*/) {
    ReadResult result;
    if (m_fd < 0) {
        result.failed = true;
        return result;
    }
    // Non-blocking: what is queued now, never more than `count`, and nothing
    // left outstanding when we return. Nothing queued is a read of 0, not a failure.
    ssize_t got;
    do {
        got = read(m_fd, dest, count);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        result.count = static_cast<uint32_t>(got);
    } else if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        NoteFailure(errno);
        result.failed = true;
    }
    return result;
}

void PosixSerialLine::StartWrite(const uint8_t* data, uint32_t count) {
    if (m_fd < 0) return;
    // A request is a few bytes: the tty takes them whole into its own buffer,
    // so the caller's copy is free at once. The outcome is not looked at.
    uint32_t written = 0;
    while (written < count) {
        const ssize_t n = write(m_fd, data + written, count - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) NoteFailure(errno);
        if (n <= 0) return;
        written += static_cast<uint32_t>(n);
    }
}

void PosixSerialLine::WaitForInput(uint32_t timeoutMs) {
    if (m_fd < 0) return;
    pollfd input{m_fd, POLLIN, 0};
    // poll takes an int; a deadline beyond that is no deadline we use.
    const int timeout = timeoutMs > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(timeoutMs);
    const auto start = std::chrono::steady_clock::now();
    if (poll(&input, 1, timeout) <= 0) return;
    const bool hungUp = (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (!hungUp || QueryStatus().queued > 0) return;
    // Hung up (the other end of a pty went away) with nothing left to read:
    // poll would return at once for ever and the exchange would spin. No byte
    // can come; sleep the wait out.
    m_gone = true;
    std::this_thread::sleep_until(start + std::chrono::milliseconds(timeout));
}
