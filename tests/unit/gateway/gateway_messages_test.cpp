// What a gateway publishes for each poll, and what Home Assistant is told.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "broker_settings.h"
#include "discovery_config.h"
#include "unit_availability.h"
#include "state_message.h"

namespace {

using nlohmann::json;

constexpr WallTime kTime{1796656445123, 60};  // 2026-12-07T16:14:05.123+01:00

PollReport Good(uint8_t address, uint32_t ok, uint32_t fail) {
    return {address, std::array<double, 4>{1.234, 0.0, 65.535, 0.001}, ReadingError::None, ok, fail};
}
PollReport Failed(uint8_t address, ReadingError why, uint32_t ok, uint32_t fail) {
    return {address, std::nullopt, why, ok, fail};
}

TEST(GatewayTime, IsoLocalTimeWithMillisecondsAndOffset) {
    const struct {
        WallTime time;
        const char* text;
    } rows[] = {
        {{0, 0}, "1970-01-01T00:00:00.000+00:00"},
        {{1796656445123, 60}, "2026-12-07T16:14:05.123+01:00"},
        {{1796656445007, -330}, "2026-12-07T09:44:05.007-05:30"},
        {{-1, 0}, "1969-12-31T23:59:59.999+00:00"},  // before the epoch, the milliseconds stay positive
    };
    for (const auto& row : rows) EXPECT_EQ(row.text, IsoTime(row.time));
}

TEST(GatewayTopics, DefaultPrefixStaysOneLevelAndTopicsHangBelowIt) {
    EXPECT_EQ("lumeric/gw1-ttyUSB0", DefaultTopicPrefix("gw1", "/dev/ttyUSB0"));
    EXPECT_EQ("lumeric/a_b-3", DefaultTopicPrefix("a+b", "/dev/pts/3"));
    const GatewayTopics topics("site/line 3");
    EXPECT_EQ("site/line 3/7/state", topics.State(7));
    EXPECT_EQ("site/line 3/7/availability", topics.Availability(7));
    EXPECT_EQ("site/line 3/status", topics.Status());
    EXPECT_EQ("homeassistant/sensor/site_line_3_7/ch2/config", topics.DiscoveryConfig(7, 2));
    for (const char* bad : {"", "a/#", "a/+/b", "/a", "a/", "a//b"}) EXPECT_FALSE(ValidTopicPrefix(bad)) << bad;
    EXPECT_TRUE(ValidTopicPrefix("lumeric/gw1-ttyUSB0"));
}

TEST(GatewayBrokerUrl, MqttAndMqttsWithDefaultPortsOthersRefused) {
    const struct {
        const char* url;
        const char* uri;  // empty: refused
        bool tls;
    } rows[] = {
        {"mqtt://broker:1884", "tcp://broker:1884", false}, {"mqtt://broker", "tcp://broker:1883", false},
        {"mqtts://broker/", "ssl://broker:8883", true},     {"mqtt://[::1]:1884", "tcp://[::1]:1884", false},
        {"tcp://broker:1883", "", false},                   {"mqtt://broker:0", "", false},
        {"mqtt://broker:70000", "", false},                 {"mqtt://:1883", "", false},
        {"mqtt://user@broker", "", false},
    };
    for (const auto& row : rows) {
        const auto parsed = ParseBrokerUrl(row.url);
        if (!*row.uri) {
            EXPECT_TRUE(std::holds_alternative<std::string>(parsed)) << row.url;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<ClientAddress>(parsed)) << row.url;
        EXPECT_EQ(row.uri, std::get<ClientAddress>(parsed).uri);
        EXPECT_EQ(row.tls, std::get<ClientAddress>(parsed).tls);
    }
}

TEST(GatewayState, GoodPollCarriesTheVoltsAFailedOneNullsAndWhy) {
    EXPECT_EQ(R"({"address":7,"time":"2026-12-07T16:14:05.123+01:00","seq":12,)"
              R"("ch1":1.234,"ch2":0.0,"ch3":65.535,"ch4":0.001,"ok":5,"fail":1})",
              StateJson(Good(7, 5, 1), kTime, 12));
    // The table keeps floats: 1.234f is 1.2339999675750732 in double, published as 1.234.
    PollReport fromFloat = Good(7, 5, 1);
    fromFloat.volts->at(0) = static_cast<double>(1.234f);
    EXPECT_EQ(1.234, json::parse(StateJson(fromFloat, {}, 1))["ch1"].get<double>());
    for (const auto& [why, text] : {std::pair{ReadingError::Timeout, "timeout"}, std::pair{ReadingError::Crc, "crc"}}) {
        EXPECT_EQ(std::string(R"({"address":7,"time":"2026-12-07T16:14:05.123+01:00","seq":13,)"
                              R"("ch1":null,"ch2":null,"ch3":null,"ch4":null,"error":")") +
                      text + R"(","ok":5,"fail":2})",
                  StateJson(Failed(7, why, 5, 2), kTime, 13));
    }
}

// Home Assistant's MQTT sensor: the fields it needs, and a value template
// that finds the channel's value in the state message.
TEST(GatewayDiscovery, EachChannelIsAVoltageSensorOnItsUnitsDevice) {
    const GatewayTopics topics("lumeric/gw1-ttyUSB0");
    const std::string state = StateJson(Good(7, 1, 0), {}, 1);
    for (int channel = 1; channel <= 4; ++channel) {
        const json config = json::parse(DiscoveryConfigJson(topics, 7, channel, UnitIdentity{"VM4", "V1.00", "Maker"}));
        EXPECT_EQ("lumeric/gw1-ttyUSB0/7/state", config["state_topic"]);
        EXPECT_EQ("lumeric_gw1-ttyUSB0_7_ch" + std::to_string(channel), config["unique_id"]);
        EXPECT_EQ("voltage", config["device_class"]);
        EXPECT_EQ("V", config["unit_of_measurement"]);
        EXPECT_EQ("measurement", config["state_class"]);
        EXPECT_EQ("all", config["availability_mode"]);
        EXPECT_EQ(json::parse(R"([{"topic":"lumeric/gw1-ttyUSB0/status"},{"topic":"lumeric/gw1-ttyUSB0/7/availability"}])"),
                  config["availability"]);
        EXPECT_EQ(json::parse(R"({"identifiers":["lumeric/gw1-ttyUSB0/7"],"name":"VM4 lumeric/gw1-ttyUSB0/7",)"
                              R"("model":"VM4","manufacturer":"Maker","sw_version":"V1.00"})"),
                  config["device"]);
        std::smatch key;
        const std::string templateText = config["value_template"];
        ASSERT_TRUE(std::regex_match(templateText, key, std::regex(R"(\{\{ value_json\.(\w+) \}\})")));
        EXPECT_EQ(json::parse(state)[key[1].str()], Good(7, 1, 0).volts->at(channel - 1));
    }
    // A unit silent at start-up still gets its device, named by where it is.
    const json bare = json::parse(DiscoveryConfigJson(topics, 9, 1, std::nullopt));
    EXPECT_EQ(json::parse(R"({"identifiers":["lumeric/gw1-ttyUSB0/9"],"name":"lumeric/gw1-ttyUSB0/9"})"), bare["device"]);
}

TEST(GatewayAvailability, OfflineAfterThreeMissesInARowOnlineAtTheNextAnswer) {
    const struct {
        const char* polls;      // a: answered, m: missed
        const char* published;  // what each poll publishes: + online, - offline, . nothing
    } rows[] = {
        {"aaa", "+.."},
        {"mmmm", "..-."},
        {"ammammm", "+.....-"},  // two misses then an answer start the count again
        {"ammmaa", "+..-+."},
    };
    for (const auto& row : rows) {
        UnitAvailability unit;
        std::string published;
        for (const char* poll = row.polls; *poll; ++poll) {
            const auto change = unit.AfterPoll(*poll == 'a');
            published += !change ? '.' : *change == "online" ? '+' : '-';
        }
        EXPECT_EQ(row.published, published) << row.polls;
    }
}

}  // namespace
