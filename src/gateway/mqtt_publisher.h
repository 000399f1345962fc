#pragma once
#include <MQTTAsync.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "broker_settings.h"
#include "message_store.h"
#include "publish_target.h"
#include "topics.h"

// The gateway's MQTT side on Paho's asynchronous client. It connects in the
// background, from before the broker is there (a gateway often boots before
// its broker) until it is, and the client reconnects by itself after that;
// meanwhile the store keeps what is polled. A feeder thread hands the client
// the store's messages in order, a window at a time, while connected; the
// broker's acknowledgement takes a message out of the store. A committer
// thread syncs the store's journal. The will and the clean close say
// "offline" on PREFIX/status; every connection says "online" there, with the
// store's dropped count beside it.
class MqttPublisher : public PublishTarget {
public:
    using Warn = std::function<void(const std::string&)>;
    MqttPublisher(MessageStore& store, const GatewayTopics& topics, Warn warn);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Starts connecting and waits a moment for the first answer: why not,
    // if the broker refuses us for good (user, password, authorisation, its
    // certificate). A broker that is not there yet is tried again and again.
    std::optional<std::string> Connect(const BrokerSettings& settings);
    // A refusal for good that came after Connect returned; empty until then.
    std::optional<std::string> Refused();
    void Keep(const std::string& topic, const std::string& payload, bool retained) override;
    void Announce(const std::string& topic, const std::string& payload) override;
    // Waits up to `timeoutMs` for the store to empty; the count still pending.
    size_t Flush(int timeoutMs);
    // "offline", then a clean disconnect (the will is not sent).
    void Close();

    // The outcome of each connection attempt before the first success, from
    // the client's threads. A member, not Connect's own: the client keeps
    // the connect options' context for its later attempts.
    struct Attempts {
        std::mutex mutex;
        std::condition_variable answered;
        int answers = 0;
        bool ok = false;
        int code = 0;
        std::string message;
    };

private:
    // What a message handed to the client comes back with in its callbacks.
    struct Delivery {
        MqttPublisher* publisher;
        uint64_t id;
    };
    static void OnDelivered(void* context, MQTTAsync_successData* response);
    static void OnUndelivered(void* context, MQTTAsync_failureData* response);
    static void Settle(void* context, bool delivered);
    static void OnConnected(void* context, char* cause);
    static void OnConnectionLost(void* context, char* cause);
    static int OnMessage(void*, char*, int, MQTTAsync_message*);
    static void OnDisconnected(void* context, MQTTAsync_successData*);
    static void OnDisconnectFailed(void* context, MQTTAsync_failureData*);
    void Feed();
    void ConnectUntilConnected();
    void Judged();
    void Commit();
    int Send(const std::string& topic, const std::string& payload, bool retained, MQTTAsync_responseOptions& response);
    void SendRetained(const std::string& topic, const std::string& payload);
    void TellOnline();

    MessageStore& m_store;
    const GatewayTopics& m_topics;
    Warn m_warn;
    MQTTAsync m_client = nullptr;
    MQTTAsync_connectOptions m_connectOptions = MQTTAsync_connectOptions_initializer;
    MQTTAsync_willOptions m_will = MQTTAsync_willOptions_initializer;
    MQTTAsync_SSLOptions m_ssl = MQTTAsync_SSLOptions_initializer;
    BrokerSettings m_settings;
    std::string m_uri;  // as the client takes it; messages name the URL as given
    std::string m_statusTopic;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_stopping{false};
    bool m_connected = false;
    bool m_everConnected = false;
    bool m_disconnected = false;
    bool m_firstJudged = false;  // the first attempt's answer is known
    uint32_t m_quickLosses = 0;
    std::chrono::steady_clock::time_point m_connectedAt;
    std::optional<std::string> m_refused;
    Attempts m_attempts;
    std::map<uint64_t, Delivery> m_deliveries;  // handed to the client, its callback still to come
    std::thread m_connector;
    std::thread m_feeder;
    std::thread m_committer;
};
