#pragma once
#include <MQTTAsync.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "broker_settings.h"
#include "message_store.h"
#include "publish_target.h"
#include "topics.h"

// The gateway's MQTT side on Paho's asynchronous client: it reconnects by
// itself, and a feeder thread hands it the store's messages in order, a
// window at a time, whether connected or not. The broker's acknowledgement
// takes a message out of the store. The will and the clean close say
// "offline" on PREFIX/status; every connection says "online" there, with the
// store's dropped count beside it.
class MqttPublisher : public PublishTarget {
public:
    using Warn = std::function<void(const std::string&)>;
    // A message received on a subscription, on the client's thread.
    using Listener = std::function<void(const std::string& topic, const std::string& payload)>;
    MqttPublisher(MessageStore& store, const GatewayTopics& topics, Warn warn);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Connects once, waiting for the broker's answer; why not, if it would
    // not have us. Later losses are reconnected by the client.
    std::optional<std::string> Connect(const BrokerSettings& settings);
    void Keep(const std::string& topic, const std::string& payload, bool retained) override;
    void Announce(const std::string& topic, const std::string& payload) override;
    // Subscribes to `filters` (QoS 1) now and at every reconnection; what
    // arrives goes to `listener`.
    void Listen(std::vector<std::string> filters, Listener listener);
    // Waits up to `timeoutMs` for the store to empty; the count still pending.
    size_t Flush(int timeoutMs);
    size_t Pending();
    // "offline", then a clean disconnect (the will is not sent).
    void Close();

    // The first connection's outcome, from the client's threads to Connect.
    // A member, not Connect's own: the client keeps the connect options'
    // context for its reconnections.
    struct FirstConnection {
        std::mutex mutex;
        std::condition_variable done;
        bool answered = false;
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
    void Feed();
    void SendDirect(const std::string& topic, const std::string& payload);
    void TellOnline();
    void Subscribe();

    MessageStore& m_store;
    const GatewayTopics& m_topics;
    Warn m_warn;
    MQTTAsync m_client = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
    bool m_connected = false;
    bool m_everConnected = false;
    FirstConnection m_first;
    std::vector<std::string> m_filters;
    Listener m_listener;
    std::unordered_set<Delivery*> m_deliveries;  // handed to the client, its callback still to come
    std::thread m_feeder;
};
