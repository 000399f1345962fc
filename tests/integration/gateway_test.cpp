// lumeric-cli poll --mqtt against lumeric-sim and a real mosquitto: every
// reading reaches a subscriber through a broker outage and a killed
// gateway; availability follows a unit that falls silent; a wrong password
// stops the gateway before it polls. The broker, its command-line subscriber
// and the gateway are child processes of the test.
#include <gmock/gmock.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "sim_process.h"

namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Lines ReadLines(const std::string& path) {
    Lines lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

size_t CountContaining(const Lines& lines, const std::string& text) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// Waits up to `seconds` for the file's lines to satisfy `done`.
bool WaitFor(const std::string& path, const std::function<bool(const Lines&)>& done, int seconds) {
    for (int waited = 0; !done(ReadLines(path)); waited += 50) {
        if (waited >= seconds * 1000) return false;
        Sleep(50);
    }
    return true;
}

// The last message on `topic` was `payload`: retained ones come again at every reconnection.
std::function<bool(const Lines&)> LastOn(const std::string& topic, const std::string& payload) {
    return [=](const Lines& lines) {
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
            if (line->rfind(topic + " ", 0) == 0) return *line == topic + " " + payload;
        }
        return false;
    };
}

struct Folder {
    Folder() {
        char pattern[] = "/tmp/lumeric-mqtt-XXXXXX";
        if (mkdtemp(pattern)) path = pattern;
    }
    ~Folder() {
        if (!path.empty()) std::system(("rm -rf " + path).c_str());
    }
    std::string path;
};

// A program run by the shell's exec, so that its id is ours to signal; its
// output and errors appended to one file.
class Child {
public:
    ~Child() { Stop(SIGKILL); }
    bool Start(const std::string& command, const std::string& outputPath) {
        const std::string line = "exec " + command + " >>" + outputPath + " 2>&1";
        const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
        return posix_spawnp(&m_pid, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0;
    }
    // Sends `signal` (0: none) and waits: the exit code, or 128 + the signal that ended it.
    int Stop(int signal) {
        if (m_pid <= 0) return -1;  // kill(-1) would reach every process we may signal
        if (signal) kill(m_pid, signal);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
};

// mosquitto on 127.0.0.1 at a free port, its session store in its own
// folder, so that what is queued for a subscriber outlives a restart.
class Broker {
public:
    // With a user, only that user and password get in.
    explicit Broker(const std::string& user = "", const std::string& password = "") {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        socklen_t length = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        close(fd);
        port = std::to_string(ntohs(address.sin_port));
        std::ofstream config(m_folder.path + "/mosquitto.conf");
        // Started as root, mosquitto would drop to its own user, which cannot
        // write the session store in our folder.
        config << "listener " << port << " 127.0.0.1\npersistence true\npersistence_location " << m_folder.path
               << "/\nuser root\nlog_dest stderr\n";
        if (user.empty()) {
            config << "allow_anonymous true\n";
        } else {
            std::system(("mosquitto_passwd -b -c " + m_folder.path + "/passwords " + user + " " + password).c_str());
            config << "password_file " << m_folder.path << "/passwords\n";
        }
        config.close();
        Start();
    }
    void Start() {
        ASSERT_TRUE(m_process.Start("mosquitto -c " + m_folder.path + "/mosquitto.conf", m_folder.path + "/log"));
        const size_t starts = ++m_starts;
        EXPECT_TRUE(WaitFor(m_folder.path + "/log", [&](const Lines& log) { return CountContaining(log, " running") == starts; }, 5));
    }
    // SIGTERM: mosquitto writes its session store on the way out.
    void Stop() { m_process.Stop(SIGTERM); }
    std::string Url() const { return "mqtt://127.0.0.1:" + port; }

    std::string port;

private:
    Folder m_folder;
    Child m_process;
    size_t m_starts = 0;
};

class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--unit", "1", "--unit", "2", "--unit", "3"}));
        // Each channel its own value: unit 2's channel 3 reads 2.003 V.
        for (int unit = 1; unit <= 3; ++unit) {
            for (int channel = 1; channel <= 4; ++channel) {
                ASSERT_EQ("ok", sim.Command("set " + std::to_string(unit) + " voltage " + std::to_string(channel) + " " +
                                            std::to_string(unit * 1000 + channel)));
            }
        }
    }

    // mosquitto_sub at QoS 1 with a persistent session, subscribed before
    // this returns: after a broker restart it reconnects by itself and gets
    // what was queued for it meanwhile. A message is a line "TOPIC PAYLOAD".
    void Subscribe(const Broker& broker, const std::string& filter) {
        const std::string client = "mosquitto_sub -h 127.0.0.1 -p " + broker.port + " -c -i lumeric-test -q 1 -t '" + filter + "'";
        ASSERT_EQ(0, std::system((client + " -E").c_str()));
        ASSERT_TRUE(subscriber.Start(client + " -F '%t %p'", messages));
    }

    void StartGateway(const Broker& broker, const std::string& options) {
        ASSERT_TRUE(gateway.Start(std::string(LUMERIC_CLI_PATH) + " " + sim.PtyPath() + " poll --addresses 1-3 --mqtt " +
                                      broker.Url() + " --topic t " + options,
                                  folder.path + "/gateway"));
    }

    // Every state message received; each carries the sim's voltages or a failure.
    std::vector<json> States() const {
        std::vector<json> states;
        for (const std::string& line : ReadLines(messages)) {
            const size_t space = line.find(' ');
            if (space < 6 || line.compare(space - 6, 6, "/state") != 0) continue;
            json state = json::parse(line.substr(space + 1));
            const int unit = state["address"];
            EXPECT_EQ("t/" + std::to_string(unit) + "/state", line.substr(0, space));
            for (int channel = 1; channel <= 4 && !state.contains("error"); ++channel) {
                EXPECT_EQ((unit * 1000 + channel) / 1000.0, state["ch" + std::to_string(channel)]) << line;
            }
            states.push_back(state);
        }
        return states;
    }

    // Every reading the gateway took (a poll line each, numbered from 1) is
    // received once or more; the figures go to the test's output.
    void ExpectEveryReading(const char* run, size_t atLeast) const {
        const size_t taken = CountContaining(ReadLines(folder.path + "/gateway"), "  station ");
        EXPECT_GE(taken, atLeast);
        WaitFor(messages, [&](const Lines& lines) {
            std::set<std::string> seqs;
            for (const std::string& line : lines) {
                if (const size_t at = line.find("\"seq\":"); at != std::string::npos) seqs.insert(line.substr(at, line.find(',', at) - at));
            }
            return seqs.size() >= taken;
        }, 5);
        std::map<uint64_t, size_t> received;
        for (const json& state : States()) ++received[state["seq"].get<uint64_t>()];
        size_t duplicated = 0, missing = 0;
        for (const auto& [seq, times] : received) duplicated += times - 1;
        for (uint64_t seq = 1; seq <= taken; ++seq) missing += received.count(seq) == 0;
        std::cout << run << ": readings taken " << taken << ", delivered " << received.size() << ", duplicated "
                  << duplicated << ", missing " << missing << "\n";
        EXPECT_EQ(0u, missing);
    }

    Folder folder;
    const std::string messages = folder.path + "/messages";
    SimProcess sim;
    Child subscriber;
    Child gateway;
};

// A short run in which a unit falls silent and answers again; then the
// gateway is killed while the broker is away, so that readings wait in its
// spool, and started again once the broker is back: they arrive, and the
// numbers go on.
TEST_F(GatewayTest, ASilentUnitGoesOfflineAndBackAndAKilledGatewayLosesNoReading) {
    Broker broker;
    Subscribe(broker, "#");
    const std::string options = "--period 0 --spool " + folder.path + "/spool";
    StartGateway(broker, options);
    EXPECT_TRUE(WaitFor(messages, LastOn("t/2/availability", "online"), 10));
    ASSERT_EQ("ok", sim.Command("fault 2 silent"));
    EXPECT_TRUE(WaitFor(messages, LastOn("t/2/availability", "offline"), 10));
    ASSERT_EQ("ok", sim.Command("fault 2 none"));
    EXPECT_TRUE(WaitFor(messages, LastOn("t/2/availability", "online"), 10));
    broker.Stop();
    Sleep(1500);
    gateway.Stop(SIGKILL);
    broker.Start();
    StartGateway(broker, options);
    Sleep(1500);
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    EXPECT_TRUE(WaitFor(messages, LastOn("t/status", "offline"), 5));
    ExpectEveryReading("silent unit, then SIGKILL with --spool", 60);

    std::set<std::string> failures;
    for (const json& state : States()) {
        if (state.contains("error")) failures.insert(state["address"].dump() + " " + state["error"].get<std::string>());
    }
    EXPECT_THAT(failures, ::testing::ElementsAre("2 timeout"));
    // Discovery: four sensors on each unit's device, named after the unit's information.
    std::set<std::string> configs;
    for (const std::string& line : ReadLines(messages)) {
        if (line.rfind("homeassistant/sensor/t_", 0) != 0) continue;
        configs.insert(line.substr(0, line.find(' ')));
        EXPECT_EQ("Lumeric-VM4", json::parse(line.substr(line.find(' ') + 1))["device"]["model"]);
    }
    EXPECT_EQ(12u, configs.size());
}

TEST_F(GatewayTest, BrokerAwayTenSecondsLosesNoReading) {
    Broker broker;
    Subscribe(broker, "t/+/state");
    StartGateway(broker, "--period 0");  // at the wire's pace: a few hundred readings in the gap
    Sleep(1500);
    broker.Stop();
    Sleep(10000);
    broker.Start();
    Sleep(3000);
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    ExpectEveryReading("broker outage", 200);
}

TEST_F(GatewayTest, AWrongPasswordStopsTheGatewayBeforeItPolls) {
    Broker broker("lumeric", "right");
    StartGateway(broker, "--user lumeric --password wrong");
    EXPECT_EQ(8, gateway.Stop(0));
    EXPECT_THAT(ReadLines(folder.path + "/gateway"),
                ::testing::ElementsAre("lumeric-cli: the broker at " + broker.Url() + " refused the user name or password"));
    EXPECT_THAT(sim.RxLog(), ::testing::IsEmpty());
}

}  // namespace
