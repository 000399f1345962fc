// lumeric-cli poll --mqtt against lumeric-sim and a real mosquitto: every
// reading reaches a subscriber through a broker outage and a killed
// gateway; availability follows a unit that falls silent; a wrong password
// stops the gateway before it polls. The broker, its command-line subscriber
// and the gateway are child processes of the test.
#include <gmock/gmock.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <set>

#include "sim_process.h"

namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

Lines ReadLines(const std::string& path) {
    Lines lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

size_t CountContaining(const Lines& lines, const std::string& text) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// Waits up to `seconds` for `times` lines with `text` in the file.
bool WaitFor(const std::string& path, const std::string& text, size_t times = 1, int seconds = 10) {
    for (int tries = seconds * 20; CountContaining(ReadLines(path), text) < times; usleep(50000)) {
        if (--tries < 0) return false;
    }
    return true;
}

// A program run by the shell's exec, so that its id is ours to signal; its
// output and errors appended to one file.
class Child {
public:
    ~Child() { Stop(SIGKILL); }
    void Start(const std::string& command, const std::string& outputPath) {
        const std::string line = "exec " + command + " >>" + outputPath + " 2>&1";
        const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
        EXPECT_EQ(0, posix_spawnp(&m_pid, "sh", nullptr, nullptr, const_cast<char**>(argv), environ));
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

    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

class GatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumeric-mqtt-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        folder = pattern;
        messages = folder + "/messages";
        ASSERT_TRUE(sim.Start({"--unit", "1", "--unit", "2", "--unit", "3"}));
        // Each channel its own value: unit 2's channel 3 reads 2.003 V.
        for (int i = 0; i < 12; ++i) {
            ASSERT_EQ("ok", sim.Command("set " + std::to_string(i / 4 + 1) + " voltage " + std::to_string(i % 4 + 1) +
                                        " " + std::to_string((i / 4 + 1) * 1000 + i % 4 + 1)));
        }
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }

    // mosquitto on 127.0.0.1 at a free port, its session store in our folder
    // so that what is queued for the subscriber outlives a restart (with a
    // user, only that user and password get in); then mosquitto_sub on every
    // topic at QoS 1 with a persistent session, subscribed before this
    // returns: after a broker restart it reconnects by itself and gets what
    // was queued for it meanwhile. A message is a line "TOPIC PAYLOAD".
    void StartBroker(const std::string& user = "", const std::string& password = "") {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{AF_INET, 0, {}, {}};  // port 0: the system's choice
        socklen_t length = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        close(fd);
        port = std::to_string(ntohs(address.sin_port));
        if (!user.empty())
            std::system(("mosquitto_passwd -b -c " + folder + "/passwords " + user + " " + password).c_str());
        // Started as root, mosquitto would drop to its own user, which cannot
        // write the session store in our folder.
        std::ofstream(folder + "/mosquitto.conf")
            << "listener " << port << " 127.0.0.1\npersistence true\npersistence_location " << folder
            << "/\nuser root\nlog_dest stderr\n"
            << (user.empty() ? "allow_anonymous true\n" : "password_file " + folder + "/passwords\n");
        RestartBroker();
        const std::string client = "mosquitto_sub -h 127.0.0.1 -p " + port + " -c -i lumeric-test -q 1 -t '#'" +
                                   (user.empty() ? "" : " -u " + user + " -P " + password);
        ASSERT_EQ(0, std::system((client + " -E").c_str()));
        subscriber.Start(client + " -F '%t %p'", messages);
    }
    // What a client that subscribes only now is given of `topic`: its retained message.
    std::string Retained(const std::string& topic) const {
        FILE* pipe = popen(("mosquitto_sub -h 127.0.0.1 -p " + port + " -t " + topic + " -C 1 -W 3").c_str(), "r");
        std::string text;
        for (char buffer[256]; fgets(buffer, sizeof buffer, pipe);) text += buffer;
        pclose(pipe);
        return text;
    }
    void RestartBroker() {
        broker.Start("mosquitto -c " + folder + "/mosquitto.conf", folder + "/broker");
        EXPECT_TRUE(WaitFor(folder + "/broker", " running", ++brokerStarts, 5));
    }

    // `environment`: "env NAME=VALUE " for the gateway alone.
    void StartGateway(const std::string& options, const std::string& environment = "") {
        gateway.Start(environment + LUMERIC_CLI_PATH + " " + sim.PtyPath() +
                          " poll --addresses 1-3 --mqtt mqtt://127.0.0.1:" + port + " --topic t " + options,
                      folder + "/gateway");
    }

    // Every reading the gateway took (a poll line each) is received once or
    // more, with the sim's voltages, or failed if its unit is among
    // `failures` ("ADDRESS ERROR"); the figures go to the test's output. The
    // numbers rise from 1 and may skip a block after a kill, never repeat.
    void ExpectEveryReading(const char* run, size_t atLeast, const std::set<std::string>& failures = {}) const {
        const size_t taken = CountContaining(ReadLines(folder + "/gateway"), "  station ");
        EXPECT_GE(taken, atLeast);
        std::multiset<uint64_t> received;
        std::set<std::string> failed;
        // They come in order: once as many as were taken are there, all are.
        for (int tries = 100; tries > 0 && std::set<uint64_t>(received.begin(), received.end()).size() < taken;
             --tries) {
            usleep(50000);
            received.clear();
            failed.clear();
            for (const std::string& line : ReadLines(messages)) {
                if (line.find("\"seq\":") == std::string::npos) continue;
                const json state = json::parse(line.substr(line.find(' ') + 1));
                const int unit = state["address"];
                EXPECT_EQ("t/" + std::to_string(unit) + "/state", line.substr(0, line.find(' ')));
                received.insert(state["seq"].get<uint64_t>());
                if (state.contains("error"))
                    failed.insert(std::to_string(unit) + " " + state["error"].get<std::string>());
                for (int channel = 1; channel <= 4 && !state.contains("error"); ++channel) {
                    EXPECT_EQ((unit * 1000 + channel) / 1000.0, state["ch" + std::to_string(channel)]) << line;
                }
            }
        }
        EXPECT_EQ(failures, failed);
        const size_t delivered = std::set<uint64_t>(received.begin(), received.end()).size();
        std::cout << run << ": readings taken " << taken << ", delivered " << delivered << ", duplicated "
                  << received.size() - delivered << "\n";
        EXPECT_EQ(taken, delivered);
    }

    std::string folder, messages, port;
    size_t brokerStarts = 0;
    SimProcess sim;
    Child broker, subscriber, gateway;
};

// A short run in which a unit falls silent and answers again; then the
// gateway is killed while the broker is away, so that readings wait in its
// spool, and started again once the broker is back: they arrive, and the
// numbers go on.
TEST_F(GatewayTest, ASilentUnitGoesOfflineAndBackAndAKilledGatewayLosesNoReading) {
    StartBroker();
    const std::string options = "--period 0 --spool " + folder + "/spool";
    StartGateway(options);
    EXPECT_TRUE(WaitFor(messages, "t/2/availability online"));
    ASSERT_EQ("ok", sim.Command("fault 2 silent"));
    EXPECT_TRUE(WaitFor(messages, "t/2/availability offline"));
    ASSERT_EQ("ok", sim.Command("fault 2 none"));
    EXPECT_TRUE(WaitFor(messages, "t/2/availability online", 2));
    // Discovery: each unit a device, named after the unit's information.
    const Lines announced = ReadLines(messages);
    EXPECT_EQ(3, std::count_if(announced.begin(), announced.end(), [](const std::string& line) {
                  return line.rfind("homeassistant/device/t_", 0) == 0 &&
                         line.find("\"model\":\"Lumeric-VM4\"") != std::string::npos;
              }));
    broker.Stop(SIGTERM);  // mosquitto writes its session store on the way out
    usleep(1500000);
    gateway.Stop(SIGKILL);
    RestartBroker();
    StartGateway(options);
    usleep(1500000);
    // The killed gateway's last will and the retained status come after the
    // broker's restart: the "offline" of the gateway's own exit is one more.
    const size_t offline = CountContaining(ReadLines(messages), "t/status offline");
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    EXPECT_TRUE(WaitFor(messages, "t/status offline", offline + 1));
    ExpectEveryReading("silent unit, then SIGKILL with --spool", 60, {"2 timeout"});
}

// What systemd's side of NOTIFY_SOCKET receives in `seconds`: each
// datagram with its arrival in ms since the start.
std::vector<std::pair<int64_t, std::string>> Notifications(int socketFd, int seconds) {
    std::vector<std::pair<int64_t, std::string>> received;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
    for (pollfd ready{socketFd, POLLIN, 0}; elapsedMs() < seconds * 1000;) {
        if (poll(&ready, 1, 100) <= 0) continue;
        char datagram[4096];
        const ssize_t length = recv(socketFd, datagram, sizeof datagram, 0);
        if (length > 0) received.emplace_back(elapsedMs(), std::string(datagram, length));
    }
    return received;
}

// As systemd runs it: READY=1 only once the port is open, WATCHDOG=1 at
// least every WatchdogSec/2 through the waits between passes, STATUS= with
// the counts of each pass; and Home Assistant's "online" brings every
// device's discovery again.
TEST_F(GatewayTest, TellsSystemdItLivesAndAnnouncesAgainWhenHomeAssistantIsBack) {
    StartBroker();
    const std::string notifyPath = folder + "/notify";
    const int notifyFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    notifyPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(0, bind(notifyFd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    const std::string environment = "NOTIFY_SOCKET=" + notifyPath + " WATCHDOG_USEC=2000000";

    gateway.Start("env " + environment + " " + LUMERIC_CLI_PATH +
                      " /dev/lumeric-none poll --addresses 1 --mqtt mqtt://127.0.0.1:" + port,
                  folder + "/gateway");
    EXPECT_EQ(3, gateway.Stop(0));
    EXPECT_THAT(Notifications(notifyFd, 1), ::testing::IsEmpty());

    // As the service starts it, from a config file; a long wait between passes, fed all the same.
    std::ofstream(folder + "/line.conf") << "port = \"" << sim.PtyPath() << "\"\n[poll]\naddresses = \"1-3\"\n"
                                         << "period = 3000\nmqtt = \"mqtt://127.0.0.1:" << port
                                         << "\"\ntopic = \"t\"\n";
    gateway.Start("env " + environment + " " + LUMERIC_CLI_PATH + " --config " + folder + "/line.conf poll",
                  folder + "/gateway");
    const auto notified = Notifications(notifyFd, 8);
    // Unread, its queue would fill and block the gateway's next notification.
    close(notifyFd);
    ASSERT_FALSE(notified.empty());
    EXPECT_EQ("READY=1", notified.front().second);
    int64_t lastFedMs = notified.front().first;
    size_t fed = 0;
    for (const auto& [atMs, text] : notified) {
        if (text != "WATCHDOG=1") continue;
        EXPECT_LE(atMs - lastFedMs, 1000) << "at " << atMs << " ms";
        lastFedMs = atMs;
        ++fed;
    }
    EXPECT_GE(fed, 7u);
    EXPECT_THAT(notified, ::testing::Contains(::testing::Pair(
                              ::testing::_, ::testing::MatchesRegex(
                                                "STATUS=last pass: 3 of 3 units answered; [0-9]+ readings pending"))));

    const size_t announced = CountContaining(ReadLines(messages), "homeassistant/device/t");
    EXPECT_EQ(4u, announced);  // the gateway and its three units
    ASSERT_EQ(0, std::system(("mosquitto_pub -h 127.0.0.1 -p " + port + " -t homeassistant/status -m online").c_str()));
    EXPECT_TRUE(WaitFor(messages, "homeassistant/device/t", 2 * announced, 10));
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
}

TEST_F(GatewayTest, BrokerAwayTenSecondsLosesNoReading) {
    StartBroker();
    // At the wire's pace: a few hundred readings in the gap. In a zone half
    // an hour off the hour, which the readings' times carry.
    StartGateway("--period 0", "env TZ=Asia/Kolkata ");
    usleep(1500000);
    broker.Stop(SIGTERM);
    usleep(10000000);
    RestartBroker();
    usleep(3000000);
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    ExpectEveryReading("broker outage", 200);
    EXPECT_THAT(ReadLines(messages), ::testing::Contains(::testing::HasSubstr("+05:30\",\"seq\":")));
}

// A site's power comes back: the gateway boots before its broker. It polls
// from the first pass and delivers everything once the broker is there.
TEST_F(GatewayTest, AGatewayStartedBeforeItsBrokerDeliversEveryReadingOnceItComes) {
    StartBroker();
    broker.Stop(SIGTERM);
    StartGateway("--period 0");
    usleep(10000000);
    RestartBroker();
    usleep(6000000);  // the gateway tries again every 4 s at the most
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    EXPECT_THAT(ReadLines(folder + "/gateway"), ::testing::Contains(::testing::HasSubstr("does not answer yet")));
    // The gateway and its three units, announced before the broker was there.
    EXPECT_EQ(4u, CountContaining(ReadLines(messages), "homeassistant/device/t"));
    ExpectEveryReading("started 10 s before its broker", 200);
}

// Two gateways given the same --topic on one host: each its own session, no
// takeover, both delivering.
TEST_F(GatewayTest, TwoGatewaysWithTheSameTopicBothDeliver) {
    SimProcess otherSim;
    ASSERT_TRUE(otherSim.Start({"--unit", "1"}));
    StartBroker();
    StartGateway("--period 0");
    Child other;
    other.Start(std::string(LUMERIC_CLI_PATH) + " " + otherSim.PtyPath() +
                    " poll --addresses 1 --mqtt mqtt://127.0.0.1:" + port + " --topic t --period 0",
                folder + "/other");
    usleep(6000000);
    EXPECT_EQ(0, other.Stop(SIGTERM));
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    for (const char* output : {"/gateway", "/other"}) {
        const Lines lines = ReadLines(folder + output);
        EXPECT_GT(CountContaining(lines, "  station "), 50u) << output;
        EXPECT_EQ(0u, CountContaining(lines, "lumeric-cli:")) << output;  // no loss of the broker, nothing pending
    }
}

// A certificate from the trusted authority, but made for another host: the
// gateway refuses it before it polls, and never sends its password there.
TEST_F(GatewayTest, ACertificateForAnotherHostIsRefusedBeforeAnyPoll) {
    const std::string make =
        "cd " + folder +
        " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=test-ca -keyout ca.key -out ca.pem"
        " && openssl req -newkey rsa:2048 -nodes -subj /CN=attacker.example -keyout server.key -out server.csr"
        " && printf 'subjectAltName=DNS:attacker.example\\n' >san.ext"
        " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out "
        "server.pem";
    ASSERT_EQ(0, std::system(("(" + make + ") >/dev/null 2>&1").c_str()));
    StartBroker();
    broker.Stop(SIGTERM);
    std::ofstream(folder + "/mosquitto.conf")
        << "listener " << port << " 127.0.0.1\nallow_anonymous true\nuser root\nlog_dest stderr\n"
        << "cafile " << folder << "/ca.pem\ncertfile " << folder << "/server.pem\nkeyfile " << folder
        << "/server.key\n";
    RestartBroker();
    gateway.Start(std::string(LUMERIC_CLI_PATH) + " " + sim.PtyPath() +
                      " poll --addresses 1-3 --mqtt mqtts://127.0.0.1:" + port + " --cafile " + folder +
                      "/ca.pem --user lumeric",
                  folder + "/gateway");
    EXPECT_EQ(8, gateway.Stop(0));
    EXPECT_THAT(ReadLines(folder + "/gateway"),
                ::testing::ElementsAre(::testing::HasSubstr("its certificate is refused: IP address mismatch")));
    EXPECT_THAT(sim.RxLog(), ::testing::IsEmpty());
}

// An adapter pulled out: its units turn unavailable at once, not after the
// last voltages have stood for as long as it is out; back with their first
// good poll once it is plugged in again (a sim on the same link).
TEST_F(GatewayTest, APortThatGoesTurnsItsUnitsOfflineAndTheFirstGoodPollBack) {
    StartBroker();
    const std::string link = folder + "/line";
    auto adapter = std::make_unique<SimProcess>();
    ASSERT_TRUE(adapter->Start({"--link", link}));
    gateway.Start(std::string(LUMERIC_CLI_PATH) + " " + link +
                      " poll --addresses 1 --period 200 --mqtt mqtt://127.0.0.1:" + port + " --topic t",
                  folder + "/gateway");
    EXPECT_TRUE(WaitFor(messages, "t/1/availability online"));
    adapter.reset();
    EXPECT_TRUE(WaitFor(messages, "t/1/availability offline", 1, 1));
    adapter = std::make_unique<SimProcess>();
    ASSERT_TRUE(adapter->Start({"--link", link}));
    EXPECT_TRUE(WaitFor(messages, "t/1/availability online", 2, 5));
    // It dies: its last will says so, also to a client that subscribes later.
    gateway.Stop(SIGKILL);
    EXPECT_TRUE(WaitFor(messages, "t/status offline"));
    EXPECT_EQ("offline\n", Retained("t/status"));
}

// Units dropped from --addresses: their sensors and availability are
// cleared at the next start on the same spool, the others stay.
TEST_F(GatewayTest, UnitsDroppedFromTheAddressesAreClearedFromTheBroker) {
    StartBroker();
    const std::string spool = " --spool " + folder + "/spool";
    StartGateway(spool);
    EXPECT_TRUE(WaitFor(messages, "t/3/availability online"));
    // A second gateway on the held spool, though on a line of its own, is refused.
    SimProcess otherLine;
    ASSERT_TRUE(otherLine.Start({"--unit", "1"}));
    Child second;
    second.Start(std::string(LUMERIC_CLI_PATH) + " " + otherLine.PtyPath() + " poll --addresses 1 --count 1 --mqtt " +
                     "mqtt://127.0.0.1:" + port + " --topic u" + spool,
                 folder + "/second");
    EXPECT_EQ(7, second.Stop(0));
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    gateway.Start(std::string(LUMERIC_CLI_PATH) + " " + sim.PtyPath() +
                      " poll --addresses 1,3 --mqtt mqtt://127.0.0.1:" + port + " --topic t" + spool,
                  folder + "/gateway");
    EXPECT_TRUE(WaitFor(messages, "t/3/availability online", 2));
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    const Lines lines = ReadLines(messages);
    for (const std::string& cleared :
         {"homeassistant/sensor/t_2/ch1/config ", "homeassistant/sensor/t_2/ch4/config ", "t/2/availability "}) {
        EXPECT_THAT(lines, ::testing::Contains(cleared)) << cleared;
    }
    EXPECT_THAT(lines, ::testing::Not(::testing::Contains("homeassistant/sensor/t_3/ch1/config ")));
}

// A password given by file or by the environment gets the gateway in, and
// is not among its arguments, where any user of the machine could read it.
TEST_F(GatewayTest, APasswordByFileOrEnvironmentIsNotInTheArguments) {
    StartBroker("lumeric", "right");
    std::ofstream(folder + "/password") << "right\n";
    for (const std::string& given : {"--password-file " + folder + "/password", std::string("")}) {
        const std::string prefix = given.empty() ? "env LUMERIC_MQTT_PASSWORD=right " : "";
        gateway.Start(prefix + LUMERIC_CLI_PATH + " " + sim.PtyPath() +
                          " poll --addresses 1 --mqtt mqtt://127.0.0.1:" + port + " --topic t --user lumeric " + given,
                      folder + "/gateway");
        EXPECT_TRUE(WaitFor(messages, "t/status online", given.empty() ? 2 : 1)) << given;
        std::ifstream cmdline("/proc/" + std::to_string(gateway.Pid()) + "/cmdline");
        const std::string arguments((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        EXPECT_THAT(arguments, ::testing::HasSubstr("--user"));
        EXPECT_THAT(arguments, ::testing::Not(::testing::HasSubstr("right")));
        EXPECT_EQ(0, gateway.Stop(SIGTERM));
    }
}

TEST_F(GatewayTest, AWrongPasswordStopsTheGatewayBeforeItPolls) {
    StartBroker("lumeric", "right");
    StartGateway("--user lumeric --password wrong");
    EXPECT_EQ(8, gateway.Stop(0));
    EXPECT_THAT(ReadLines(folder + "/gateway"), ::testing::ElementsAre("lumeric-cli: the broker at mqtt://127.0.0.1:" +
                                                                       port + " refused the user name or password"));
    EXPECT_THAT(sim.RxLog(), ::testing::IsEmpty());
}

// A channel with a high limit ramped across it and back while the broker is
// away: the raise and the clear reach a subscriber once the broker is back,
// with the sim's values; what stands is retained; the unit's device has a
// problem sensor for that channel and one for communication.
TEST_F(GatewayTest, AlarmEventsOfARampedChannelArriveThroughABrokerRestart) {
    StartBroker();
    StartGateway("--period 100 --high ,1.5,,");
    EXPECT_TRUE(WaitFor(messages, "t/1/alarm "));
    broker.Stop(SIGTERM);
    ASSERT_EQ("ok", sim.Command("set 1 ramp 2 2000 1"));
    usleep(2000000);
    ASSERT_EQ("ok", sim.Command("set 1 ramp 2 1002 1"));
    usleep(2000000);
    RestartBroker();
    EXPECT_TRUE(WaitFor(messages, "t/1/event "));
    EXPECT_TRUE(WaitFor(messages, R"("event":"cleared")"));
    EXPECT_EQ(0, gateway.Stop(SIGTERM));
    std::vector<json> events;
    for (const std::string& line : ReadLines(messages)) {
        if (line.rfind("t/1/event ", 0) == 0) events.push_back(json::parse(line.substr(line.find(' ') + 1)));
    }
    ASSERT_EQ(2u, events.size());
    for (const json& event : events) {
        EXPECT_EQ(json::parse(R"({"kind":"high","channel":2,"limit":1.5})"),
                  json({{"kind", event["kind"]}, {"channel", event["channel"]}, {"limit", event["limit"]}}));
    }
    EXPECT_EQ("raised", events[0]["event"]);
    EXPECT_GT(events[0]["value"], 1.5);
    EXPECT_LE(events[0]["value"], 2.0);
    EXPECT_EQ("cleared", events[1]["event"]);
    EXPECT_LE(events[1]["value"], 1.49);
    EXPECT_THAT(Retained("t/1/alarm"), ::testing::HasSubstr(R"("ch2":[],)"));
    // Shown in its journal too: the raise and the clear.
    EXPECT_EQ(2u, CountContaining(ReadLines(folder + "/gateway"), "station 1  channel 2 high  "));
    using ::testing::HasSubstr;
    EXPECT_THAT(ReadLines(messages),
                ::testing::Contains(::testing::AllOf(::testing::StartsWith("homeassistant/device/t_1/config "),
                                                     HasSubstr(R"("alarm_ch2")"), HasSubstr(R"("alarm_communication")"),
                                                     ::testing::Not(HasSubstr(R"("alarm_ch1")")))));
}

}  // namespace
