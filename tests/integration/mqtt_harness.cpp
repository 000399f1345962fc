#include "mqtt_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool Accepts(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

ChildProcess::~ChildProcess() {
    if (m_pid <= 0) return;
    Signal(SIGKILL);
    Wait();
}

bool ChildProcess::Start(const std::vector<std::string>& words, const std::string& outputPath) {
    std::vector<std::string> copy = words;
    std::vector<char*> argv;
    for (std::string& word : copy) argv.push_back(word.data());
    argv.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return m_pid > 0;
}

void ChildProcess::Signal(int number) const {
    if (m_pid > 0) kill(m_pid, number);
}

int ChildProcess::Wait() {
    if (m_pid <= 0) return -1;
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TempFolder::TempFolder() {
    char pattern[] = "/tmp/lumeric-mqtt-XXXXXX";
    if (mkdtemp(pattern)) m_path = pattern;
}

TempFolder::~TempFolder() {
    if (!m_path.empty()) RunQuietly("rm -rf " + m_path);
}

bool MosquittoBroker::Start(const std::string& user, const std::string& password) {
    m_port = FreePort();
    std::ofstream config(m_folder.Path() + "/mosquitto.conf");
    config << "listener " << m_port << " 127.0.0.1\n"
           << "persistence true\n"
           << "persistence_location " << m_folder.Path() << "/\n"
           // Started as root, mosquitto would drop to its own user, which
           // cannot write the store in our folder: the sessions would not
           // survive a restart.
           << "user root\n"
           << "log_dest file " << m_folder.Path() << "/mosquitto.log\n";
    if (user.empty()) {
        config << "allow_anonymous true\n";
    } else {
        const std::string passwords = m_folder.Path() + "/passwords";
        if (RunQuietly("mosquitto_passwd -b -c " + passwords + " " + user + " " + password) != 0) return false;
        config << "allow_anonymous false\npassword_file " << passwords << "\n";
    }
    config.close();
    return Launch();
}

bool MosquittoBroker::Launch() {
    const std::string folder = m_folder.Path();
    if (!m_process.Start({"mosquitto", "-c", folder + "/mosquitto.conf"}, folder + "/stdout.log")) return false;
    for (int tries = 0; tries < 250; ++tries) {
        if (Accepts(m_port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void MosquittoBroker::Stop() {
    // SIGTERM: mosquitto writes its session store on the way out.
    m_process.Signal(SIGTERM);
    m_process.Wait();
}

bool Subscriber::Start(const MosquittoBroker& broker, const std::string& topicFilter) {
    const std::string id = "lumeric-test-" + std::to_string(getpid());
    if (!m_process.Start({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(broker.Port()), "-c", "-i", id,
                          "-q", "1", "-F", "%r %t %p", "-t", topicFilter, "-t", "lumeric-test/probe"},
                         m_folder.Path() + "/messages")) {
        return false;
    }
    // Subscribed once a message of its own comes back.
    for (int tries = 0; tries < 20; ++tries) {
        RunQuietly("mosquitto_pub -h 127.0.0.1 -p " + std::to_string(broker.Port()) + " -q 1 -t lumeric-test/probe -m probe");
        if (WaitFor([](const std::string& line) { return line == "0 lumeric-test/probe probe"; }, 1)) return true;
    }
    return false;
}

std::vector<std::string> Subscriber::Lines() const {
    std::vector<std::string> lines;
    std::ifstream file(m_folder.Path() + "/messages");
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

bool Subscriber::WaitFor(const std::function<bool(const std::string&)>& wanted, int seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
        for (const std::string& line : Lines()) {
            if (wanted(line)) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}
