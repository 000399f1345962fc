#include "pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "baud.h"

Pty::~Pty() {
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
}

bool Pty::Open() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) return false;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) return false;
    const char* name = ptsname(m_master);
    if (name == nullptr) return false;
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0) return false;

    termios settings{};
    if (tcgetattr(m_slave, &settings) != 0) return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(m_slave, TCSANOW, &settings) == 0;
}

uint32_t Pty::HostBaud() const {
    termios settings{};
    if (tcgetattr(m_master, &settings) != 0) return 0;
    return BaudFromSpeed(cfgetospeed(&settings));
}

size_t Pty::Write(const uint8_t* data, size_t count) {
    const ssize_t written = write(m_master, data, count);
    return written > 0 ? static_cast<size_t>(written) : 0;
}
