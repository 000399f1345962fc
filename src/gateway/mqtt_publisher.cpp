#include "mqtt_publisher.h"

#include <chrono>
#include <cstring>
#include <vector>

namespace {

// Messages handed to the client and not yet acknowledged, at most: enough to
// keep a broker busy, few enough that the client's own bookkeeping, which
// walks its queue at every publish, stays cheap.
constexpr size_t kWindow = 100;
constexpr int kClientBuffer = 1000;  // the window plus announcements, with room to spare
constexpr auto kConnectWait = std::chrono::seconds(15);

void FirstConnected(void* context, MQTTAsync_successData*) {
    auto& first = *static_cast<MqttPublisher::FirstConnection*>(context);
    std::lock_guard<std::mutex> lock(first.mutex);
    first.answered = first.ok = true;
    first.done.notify_all();
}

void FirstRefused(void* context, MQTTAsync_failureData* response) {
    auto& first = *static_cast<MqttPublisher::FirstConnection*>(context);
    std::lock_guard<std::mutex> lock(first.mutex);
    first.answered = true;
    first.code = response ? response->code : MQTTASYNC_FAILURE;
    if (response && response->message) first.message = response->message;
    first.done.notify_all();
}

std::string RefusalText(const std::string& url, int code, const std::string& message) {
    // CONNACK return codes 4 and 5 of MQTT 3.1.1.
    if (code == 4 || code == 5) return "the broker at " + url + " refused the user name or password";
    std::string why = message;
    if (why.empty() && code < 0) why = MQTTAsync_strerror(code);
    if (why.empty()) why = "refused with code " + std::to_string(code);
    return "cannot connect to the broker at " + url + ": " + why;
}

}  // namespace

MqttPublisher::MqttPublisher(MessageStore& store, const GatewayTopics& topics, Warn warn)
    : m_store(store), m_topics(topics), m_warn(std::move(warn)) {}

MqttPublisher::~MqttPublisher() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_feeder.joinable()) m_feeder.join();
    if (m_client) MQTTAsync_destroy(&m_client);
    // No callback comes after the client is gone: what it still had is ours to free.
    for (Delivery* delivery : m_deliveries) delete delivery;
}

std::optional<std::string> MqttPublisher::Connect(const BrokerSettings& settings) {
    const auto address = ParseBrokerUrl(settings.url);
    if (const auto* refused = std::get_if<std::string>(&address)) return *refused;
    const ClientAddress& client = std::get<ClientAddress>(address);

    MQTTAsync_createOptions create = MQTTAsync_createOptions_initializer;
    create.sendWhileDisconnected = 1;
    create.maxBufferedMessages = kClientBuffer;
    // The store, not the client, keeps messages across a restart.
    int rc = MQTTAsync_createWithOptions(&m_client, client.uri.c_str(), settings.clientId.c_str(),
                                         MQTTCLIENT_PERSISTENCE_NONE, nullptr, &create);
    if (rc != MQTTASYNC_SUCCESS) return RefusalText(settings.url, rc, "");
    MQTTAsync_setCallbacks(m_client, this, OnConnectionLost, OnMessage, nullptr);
    MQTTAsync_setConnected(m_client, this, OnConnected);

    const std::string status = m_topics.Status();
    MQTTAsync_willOptions will = MQTTAsync_willOptions_initializer;
    will.topicName = status.c_str();
    will.message = "offline";
    will.retained = 1;
    will.qos = 1;
    MQTTAsync_SSLOptions ssl = MQTTAsync_SSLOptions_initializer;
    if (!settings.caFile.empty()) ssl.trustStore = settings.caFile.c_str();
    ssl.enableServerCertAuth = 1;

    FirstConnection& first = m_first;
    MQTTAsync_connectOptions options = MQTTAsync_connectOptions_initializer;
    options.keepAliveInterval = 10;
    // The broker keeps our session, so what was in flight when a connection
    // broke is sent again on the next one, to the same session.
    options.cleansession = 0;
    options.automaticReconnect = 1;
    options.minRetryInterval = 1;
    options.maxRetryInterval = 4;
    options.connectTimeout = 5;
    options.will = &will;
    if (!settings.user.empty()) options.username = settings.user.c_str();
    if (!settings.password.empty()) options.password = settings.password.c_str();
    if (client.tls) options.ssl = &ssl;
    options.onSuccess = FirstConnected;
    options.onFailure = FirstRefused;
    options.context = &first;
    rc = MQTTAsync_connect(m_client, &options);
    if (rc != MQTTASYNC_SUCCESS) return RefusalText(settings.url, rc, "");
    std::unique_lock<std::mutex> lock(first.mutex);
    if (!first.done.wait_for(lock, kConnectWait, [&] { return first.answered; })) {
        return "cannot connect to the broker at " + settings.url + ": no answer";
    }
    if (!first.ok) return RefusalText(settings.url, first.code, first.message);
    m_feeder = std::thread([this] { Feed(); });
    return std::nullopt;
}

void MqttPublisher::Keep(const std::string& topic, const std::string& payload, bool retained) {
    bool dropped = false;
    bool journalFailed = false;
    uint64_t droppedCount = 0;
    bool connected = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connected = m_connected;
        const bool journalWasFailing = m_store.JournalFailed();
        dropped = m_store.Add(topic, payload, retained);
        droppedCount = m_store.Dropped();
        journalFailed = m_store.JournalFailed() && !journalWasFailing;
    }
    m_changed.notify_all();
    if (journalFailed) m_warn("the spool cannot be written: readings are kept in memory only from now on");
    if (!dropped) return;
    // Once, then every thousandth, so that a long outage does not flood the log.
    if (droppedCount == 1 || droppedCount % 1000 == 0) {
        m_warn("the store is full: the oldest readings go first (" + std::to_string(droppedCount) + " so far)");
    }
    // Between connections the count waits for the next one, which tells it with "online".
    if (connected) SendDirect(m_topics.Dropped(), std::to_string(droppedCount));
}

void MqttPublisher::Announce(const std::string& topic, const std::string& payload) { SendDirect(topic, payload); }

void MqttPublisher::Listen(std::vector<std::string> filters, Listener listener) {
    bool connected = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_filters = std::move(filters);
        m_listener = std::move(listener);
        connected = m_connected;
    }
    if (connected) Subscribe();
}

size_t MqttPublisher::Pending() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_store.Pending();
}

size_t MqttPublisher::Flush(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_store.Pending() == 0; });
    return m_store.Pending();
}

void MqttPublisher::Close() {
    if (!m_client) return;
    MQTTAsync_message message = MQTTAsync_message_initializer;
    message.payload = const_cast<char*>("offline");
    message.payloadlen = 7;
    message.qos = 1;
    message.retained = 1;
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    if (MQTTAsync_sendMessage(m_client, m_topics.Status().c_str(), &message, &response) == MQTTASYNC_SUCCESS) {
        MQTTAsync_waitForCompletion(m_client, response.token, 2000);
    }
    MQTTAsync_disconnectOptions disconnect = MQTTAsync_disconnectOptions_initializer;
    disconnect.timeout = 2000;
    if (MQTTAsync_disconnect(m_client, &disconnect) == MQTTASYNC_SUCCESS) {
        for (int waited = 0; waited < 3000 && MQTTAsync_isConnected(m_client); waited += 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

void MqttPublisher::Feed() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        std::optional<StoredMessage> next = m_store.Hand(kWindow);
        if (!next) {
            m_changed.wait(lock);
            continue;
        }
        auto* delivery = new Delivery{this, next->id};
        m_deliveries.insert(delivery);
        lock.unlock();
        MQTTAsync_message message = MQTTAsync_message_initializer;
        message.payload = next->payload.data();
        message.payloadlen = static_cast<int>(next->payload.size());
        message.qos = 1;
        message.retained = next->retained ? 1 : 0;
        MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
        response.onSuccess = OnDelivered;
        response.onFailure = OnUndelivered;
        response.context = delivery;
        const int rc = MQTTAsync_sendMessage(m_client, next->topic.c_str(), &message, &response);
        lock.lock();
        if (rc != MQTTASYNC_SUCCESS) {
            // The client's buffer is full or it is between connections: try again shortly.
            m_deliveries.erase(delivery);
            delete delivery;
            m_store.Returned(next->id);
            m_changed.wait_for(lock, std::chrono::milliseconds(100));
        }
    }
}

void MqttPublisher::SendDirect(const std::string& topic, const std::string& payload) {
    MQTTAsync_message message = MQTTAsync_message_initializer;
    message.payload = const_cast<char*>(payload.data());
    message.payloadlen = static_cast<int>(payload.size());
    message.qos = 1;
    message.retained = 1;
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    MQTTAsync_sendMessage(m_client, topic.c_str(), &message, &response);
}

void MqttPublisher::TellOnline() {
    uint64_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dropped = m_store.Dropped();
    }
    SendDirect(m_topics.Status(), "online");
    SendDirect(m_topics.Dropped(), std::to_string(dropped));
}

void MqttPublisher::Subscribe() {
    std::vector<std::string> filters;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        filters = m_filters;
    }
    if (filters.empty()) return;
    std::vector<char*> names;
    for (std::string& filter : filters) names.push_back(filter.data());
    std::vector<int> qos(filters.size(), 1);
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    if (MQTTAsync_subscribeMany(m_client, static_cast<int>(names.size()), names.data(), qos.data(), &response) !=
        MQTTASYNC_SUCCESS) {
        m_warn("cannot subscribe to Home Assistant's status: discovery is sent at start-up only");
    }
}

void MqttPublisher::OnDelivered(void* context, MQTTAsync_successData*) { Settle(context, true); }

void MqttPublisher::OnUndelivered(void* context, MQTTAsync_failureData*) { Settle(context, false); }

// The broker has the message, or the client gives it back to be handed out again.
void MqttPublisher::Settle(void* context, bool delivered) {
    auto* delivery = static_cast<Delivery*>(context);
    MqttPublisher& self = *delivery->publisher;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        if (delivered) {
            self.m_store.Delivered(delivery->id);
        } else {
            self.m_store.Returned(delivery->id);
        }
        self.m_deliveries.erase(delivery);
    }
    self.m_changed.notify_all();
    delete delivery;
}

void MqttPublisher::OnConnected(void* context, char*) {
    auto& self = *static_cast<MqttPublisher*>(context);
    bool wasLost = false;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        wasLost = self.m_everConnected && !self.m_connected;
        self.m_connected = self.m_everConnected = true;
    }
    if (wasLost) self.m_warn("the broker is back: pending readings are being delivered");
    self.TellOnline();
    self.Subscribe();
}

void MqttPublisher::OnConnectionLost(void* context, char*) {
    auto& self = *static_cast<MqttPublisher*>(context);
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        self.m_connected = false;
    }
    self.m_warn("lost the broker: polling goes on, readings are kept until it is back");
}

int MqttPublisher::OnMessage(void* context, char* topic, int topicLength, MQTTAsync_message* message) {
    auto& self = *static_cast<MqttPublisher*>(context);
    Listener listener;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        listener = self.m_listener;
    }
    // A length of 0 means the topic is a C string.
    const std::string name = topicLength > 0 ? std::string(topic, topicLength) : std::string(topic);
    const auto* payload = static_cast<const char*>(message->payload);
    if (listener) listener(name, message->payloadlen > 0 ? std::string(payload, message->payloadlen) : std::string());
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    return 1;
}
