// lumeric-cli poll --mqtt against lumeric-sim and a real mosquitto: every
// reading reaches a subscriber through a broker outage and a killed
// gateway; availability follows a unit that falls silent; a wrong password
// stops the gateway before it polls.
#include <gmock/gmock.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "mqtt_harness.h"
#include "sim_process.h"

namespace {

using nlohmann::json;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// "RETAINED TOPIC PAYLOAD": the topic and the payload.
std::pair<std::string, std::string> TopicAndPayload(const std::string& line) {
    const size_t topicStart = line.find(' ') + 1;
    const size_t payloadStart = line.find(' ', topicStart);
    return {line.substr(topicStart, payloadStart - topicStart), line.substr(payloadStart + 1)};
}

std::function<bool(const std::string&)> Says(const std::string& topic, const std::string& payload, int occurrence = 1) {
    auto seen = std::make_shared<int>(0);
    return [=](const std::string& line) { return TopicAndPayload(line) == std::pair{topic, payload} && ++*seen == occurrence; };
}

struct Figures {
    size_t taken = 0;  // polls the gateway made (its poll lines)
    size_t delivered = 0;
    size_t duplicated = 0;
    size_t missing = 0;
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

    void StartGateway(const std::vector<std::string>& extra = {}) {
        gateway = std::make_unique<ChildProcess>();
        std::vector<std::string> words{LUMERIC_CLI_PATH, sim.PtyPath(), "poll", "--addresses", "1-3",
                                       "--mqtt", broker.Url(), "--topic", "t"};
        words.insert(words.end(), extra.begin(), extra.end());
        ASSERT_TRUE(gateway->Start(words, output.Path() + "/gateway"));
    }

    int StopGateway(int signal = SIGTERM) {
        gateway->Signal(signal);
        return gateway->Wait();
    }

    std::vector<std::string> GatewayLines() const {
        std::vector<std::string> lines;
        std::ifstream file(output.Path() + "/gateway");
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }

    // Every state message received; each carries the sim's voltages or a failure.
    std::vector<json> States() const {
        std::vector<json> states;
        for (const std::string& line : subscriber.Lines()) {
            const auto [topic, payload] = TopicAndPayload(line);
            if (topic.size() < 6 || topic.compare(topic.size() - 6, 6, "/state") != 0) continue;
            json state = json::parse(payload);
            const int unit = state["address"];
            EXPECT_EQ("t/" + std::to_string(unit) + "/state", topic);
            for (int channel = 1; channel <= 4; ++channel) {
                if (state.contains("error")) break;
                EXPECT_EQ((unit * 1000 + channel) / 1000.0, state["ch" + std::to_string(channel)]) << payload;
            }
            states.push_back(state);
        }
        return states;
    }

    Figures Count(const char* run) const {
        Figures figures;
        for (const std::string& line : GatewayLines()) figures.taken += line.find("  station ") != std::string::npos;
        std::map<uint64_t, int> received;
        for (const json& state : States()) ++received[state["seq"].get<uint64_t>()];
        figures.delivered = received.size();
        for (const auto& [seq, times] : received) figures.duplicated += times - 1;
        for (uint64_t seq = 1; seq <= figures.taken; ++seq) figures.missing += received.count(seq) == 0;
        std::cout << run << ": readings taken " << figures.taken << ", delivered " << figures.delivered
                  << ", duplicated " << figures.duplicated << ", missing " << figures.missing << "\n";
        return figures;
    }

    SimProcess sim;
    MosquittoBroker broker;
    Subscriber subscriber;
    TempFolder output;
    std::unique_ptr<ChildProcess> gateway;
};

// A unit falls silent and answers again, the gateway is stopped: its
// availability, its discovery, every reading, the gateway's own status.
TEST_F(GatewayTest, EveryReadingArrivesAndASilentUnitGoesOfflineAndBack) {
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(subscriber.Start(broker, "#"));
    StartGateway();
    ASSERT_TRUE(subscriber.WaitFor(Says("t/2/availability", "online"), 10));
    ASSERT_EQ("ok", sim.Command("fault 2 silent"));
    EXPECT_TRUE(subscriber.WaitFor(Says("t/2/availability", "offline"), 10));
    ASSERT_EQ("ok", sim.Command("fault 2 none"));
    EXPECT_TRUE(subscriber.WaitFor(Says("t/2/availability", "online", 2), 10));
    EXPECT_EQ(0, StopGateway());
    EXPECT_TRUE(subscriber.WaitFor(Says("t/status", "offline"), 5));

    const Figures figures = Count("short run");
    EXPECT_GT(figures.taken, 10u);
    EXPECT_EQ(0u, figures.missing);
    std::set<std::string> timeouts;
    for (const json& state : States()) {
        if (state.contains("error")) timeouts.insert(state["address"].dump() + " " + state["error"].get<std::string>());
    }
    EXPECT_THAT(timeouts, ::testing::ElementsAre("2 timeout"));
    // Discovery: four sensors on each unit's device, named after the unit's information.
    size_t configs = 0;
    for (const std::string& line : subscriber.Lines()) {
        const auto [topic, payload] = TopicAndPayload(line);
        if (topic.rfind("homeassistant/sensor/t_", 0) != 0) continue;
        ++configs;
        EXPECT_EQ("Lumeric-VM4", json::parse(payload)["device"]["model"]);
    }
    EXPECT_EQ(12u, configs);
}

TEST_F(GatewayTest, BrokerAwayTenSecondsLosesNoReading) {
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(subscriber.Start(broker, "t/+/state"));
    StartGateway({"--period", "0"});  // at the wire's pace: a few hundred readings in the gap
    Sleep(1500);
    broker.Stop();
    Sleep(10000);
    ASSERT_TRUE(broker.Restart());
    Sleep(3000);
    EXPECT_EQ(0, StopGateway());
    Sleep(2000);  // the subscriber's reconnection and its queue
    const Figures figures = Count("broker outage");
    EXPECT_GT(figures.taken, 200u);
    EXPECT_EQ(0u, figures.missing);
}

// Killed while the broker is away, so that readings wait in the spool, then
// started again once it is back: the spool delivers them, the numbers go on.
TEST_F(GatewayTest, GatewayKilledWithASpoolLosesNoReadingAfterItsRestart) {
    TempFolder spool;
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(subscriber.Start(broker, "t/+/state"));
    StartGateway({"--spool", spool.Path(), "--period", "0"});
    Sleep(1500);
    broker.Stop();
    Sleep(1500);
    EXPECT_EQ(128 + SIGKILL, StopGateway(SIGKILL));
    ASSERT_TRUE(broker.Restart());
    StartGateway({"--spool", spool.Path(), "--period", "0"});
    Sleep(2500);
    EXPECT_EQ(0, StopGateway());
    Sleep(1000);
    const Figures figures = Count("SIGKILL with --spool");
    EXPECT_GT(figures.taken, 60u);
    EXPECT_EQ(0u, figures.missing);
}

TEST_F(GatewayTest, AWrongPasswordStopsTheGatewayBeforeItPolls) {
    ASSERT_TRUE(broker.Start("lumeric", "right"));
    StartGateway({"--user", "lumeric", "--password", "wrong"});
    EXPECT_EQ(8, gateway->Wait());
    EXPECT_THAT(GatewayLines(), ::testing::ElementsAre("lumeric-cli: the broker at " + broker.Url() +
                                                       " refused the user name or password"));
    EXPECT_THAT(sim.RxLog(), ::testing::IsEmpty());
}

}  // namespace
