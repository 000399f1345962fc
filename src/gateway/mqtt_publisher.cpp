#include "mqtt_publisher.h"

#include <chrono>
#include <cstring>

#include "spool_committer.h"
#include "tls_certificate_check.h"

namespace {

// Messages handed to the client and not yet acknowledged, at most: enough to
// keep a broker busy, few enough that the client's own bookkeeping, which
// walks its queue at every publish, stays cheap.
constexpr size_t kWindow = 100;
constexpr int kClientBuffer = 1000;  // the window plus announcements, with room to spare
// How long the start waits for the broker's first answer: a refusal for good
// ends the gateway before it polls; a broker away is tried again meanwhile.
constexpr auto kFirstAnswerWait = std::chrono::seconds(3);
constexpr int kMaxRetrySeconds = 4;
// A connection the broker closes this soon, again and again, is being taken
// over by another client with the same id.
constexpr auto kQuickLoss = std::chrono::seconds(5);
constexpr uint32_t kQuickLossesToSay = 2;

void AttemptAnswered(MqttPublisher::Attempts& attempts, bool ok, int code, const char* message) {
    std::lock_guard<std::mutex> lock(attempts.mutex);
    ++attempts.answers;
    attempts.ok = ok;
    attempts.code = code;
    attempts.message = message ? message : "";
    attempts.answered.notify_all();
}

void AttemptSucceeded(void* context, MQTTAsync_successData*) {
    AttemptAnswered(*static_cast<MqttPublisher::Attempts*>(context), true, 0, nullptr);
}

void AttemptFailed(void* context, MQTTAsync_failureData* response) {
    AttemptAnswered(*static_cast<MqttPublisher::Attempts*>(context), false,
                    response ? response->code : MQTTASYNC_FAILURE, response ? response->message : nullptr);
}

std::string FailureText(int code, const std::string& message) {
    if (!message.empty()) return message;
    if (code < 0) return MQTTAsync_strerror(code);
    return "refused with code " + std::to_string(code);
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
    {
        std::lock_guard<std::mutex> lock(m_attempts.mutex);
        m_attempts.answered.notify_all();
    }
    for (std::thread* thread : {&m_connector, &m_feeder, &m_committer}) {
        if (thread->joinable()) thread->join();
    }
    // No callback comes after the client is gone; m_deliveries frees what it still had.
    if (m_client) MQTTAsync_destroy(&m_client);
}

std::optional<std::string> MqttPublisher::Connect(const BrokerSettings& settings) {
    const auto address = ParseBrokerUrl(settings.url);
    if (const auto* refused = std::get_if<std::string>(&address)) return *refused;
    const ClientAddress& client = std::get<ClientAddress>(address);
    m_settings = settings;
    m_uri = client.uri;

    MQTTAsync_createOptions create = MQTTAsync_createOptions_initializer;
    create.sendWhileDisconnected = 1;
    // Discovery is announced at the start, which may well be before the broker is there.
    create.allowDisconnectedSendAtAnyTime = 1;
    create.maxBufferedMessages = kClientBuffer;
    // The store, not the client, keeps messages across a restart.
    const int rc = MQTTAsync_createWithOptions(&m_client, client.uri.c_str(), settings.clientId.c_str(),
                                               MQTTCLIENT_PERSISTENCE_NONE, nullptr, &create);
    if (rc != MQTTASYNC_SUCCESS) return "cannot connect to the broker at " + settings.url + ": " + FailureText(rc, "");
    MQTTAsync_setCallbacks(m_client, this, OnConnectionLost, OnMessage, nullptr);
    MQTTAsync_setConnected(m_client, this, OnConnected);

    m_statusTopic = m_topics.Status();
    m_will.topicName = m_statusTopic.c_str();
    m_will.message = "offline";
    m_will.retained = 1;
    m_will.qos = 1;
    if (!m_settings.caFile.empty()) m_ssl.trustStore = m_settings.caFile.c_str();
    m_ssl.enableServerCertAuth = 1;
    // The certificate must be made for the host we asked for, not merely signed by someone trusted.
    m_ssl.verify = 1;

    m_connectOptions.keepAliveInterval = 10;
    // The broker keeps our session, so what was in flight when a connection
    // broke is sent again on the next one, to the same session.
    m_connectOptions.cleansession = 0;
    m_connectOptions.automaticReconnect = 1;
    m_connectOptions.minRetryInterval = 1;
    m_connectOptions.maxRetryInterval = kMaxRetrySeconds;
    m_connectOptions.connectTimeout = 5;
    m_connectOptions.will = &m_will;
    if (!m_settings.user.empty()) m_connectOptions.username = m_settings.user.c_str();
    if (!m_settings.password.empty()) m_connectOptions.password = m_settings.password.c_str();
    if (client.tls) m_connectOptions.ssl = &m_ssl;
    m_connectOptions.onSuccess = AttemptSucceeded;
    m_connectOptions.onFailure = AttemptFailed;
    m_connectOptions.context = &m_attempts;

    m_connector = std::thread([this] { ConnectUntilConnected(); });
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, kFirstAnswerWait, [&] { return m_firstJudged; });
        if (m_refused) return m_refused;
    }
    m_feeder = std::thread([this] { Feed(); });
    if (m_store.Disk()) m_committer = std::thread([this] { Commit(); });
    return std::nullopt;
}

// Until the first connection; the client reconnects by itself after that.
void MqttPublisher::ConnectUntilConnected() {
    const std::string url = m_settings.url;
    bool toldAway = false;
    for (int retrySeconds = 1;; retrySeconds = std::min(2 * retrySeconds, kMaxRetrySeconds)) {
        int answersBefore = 0;
        {
            std::lock_guard<std::mutex> lock(m_attempts.mutex);
            answersBefore = m_attempts.answers;
        }
        int rc = MQTTAsync_connect(m_client, &m_connectOptions);
        bool ok = false;
        int code = rc;
        std::string message;
        if (rc == MQTTASYNC_SUCCESS) {
            std::unique_lock<std::mutex> lock(m_attempts.mutex);
            m_attempts.answered.wait(lock, [&] { return m_attempts.answers > answersBefore || m_stopping.load(); });
            ok = m_attempts.ok;
            code = m_attempts.code;
            message = m_attempts.message;
        }
        if (ok) {
            Judged();
            return;
        }
        std::optional<std::string> refusal;
        // CONNACK return codes 4 and 5 of MQTT 3.1.1: no retry mends them.
        if (code == 4 || code == 5) refusal = "refused the user name or password";
        if (!refusal && m_connectOptions.ssl) {
            if (auto why = CertificateRefusal(m_uri, m_settings.caFile))
                refusal = "its certificate is refused: " + *why;
        }
        if (refusal) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_refused = "the broker at " + url + " " + *refusal;
            }
            Judged();
            return;
        }
        Judged();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!toldAway) {
            m_warn("the broker at " + url + " does not answer yet (" + FailureText(code, message) +
                   "): polling goes on, readings are kept until it does");
            toldAway = true;
        }
        if (m_changed.wait_for(lock, std::chrono::seconds(retrySeconds), [&] { return m_stopping.load(); })) return;
    }
}

void MqttPublisher::Judged() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_firstJudged = true;
    }
    m_changed.notify_all();
}

std::optional<std::string> MqttPublisher::Refused() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refused;
}

void MqttPublisher::Keep(const std::string& topic, const std::string& payload, bool retained) {
    bool dropped = false;
    uint64_t droppedCount = 0;
    bool connected = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        connected = m_connected;
        dropped = m_store.Add(topic, payload, retained);
        droppedCount = m_store.Dropped();
    }
    m_changed.notify_all();
    if (!dropped) return;
    // Once, then every thousandth, so that a long outage does not flood the log.
    if (droppedCount == 1 || droppedCount % 1000 == 0) {
        m_warn("the store is full: the oldest readings go first (" + std::to_string(droppedCount) + " so far)");
    }
    // Between connections the count waits for the next one, which tells it with "online".
    if (connected) SendRetained(m_topics.Dropped(), std::to_string(droppedCount));
}

void MqttPublisher::Announce(const std::string& topic, const std::string& payload) { SendRetained(topic, payload); }

size_t MqttPublisher::Flush(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_store.Pending() == 0; });
    return m_store.Pending();
}

void MqttPublisher::Close() {
    if (!m_client) return;
    MQTTAsync_responseOptions sent = MQTTAsync_responseOptions_initializer;
    if (Send(m_topics.Status(), "offline", true, sent) == MQTTASYNC_SUCCESS) {
        MQTTAsync_waitForCompletion(m_client, sent.token, 2000);
    }
    MQTTAsync_disconnectOptions disconnect = MQTTAsync_disconnectOptions_initializer;
    disconnect.timeout = 2000;
    disconnect.onSuccess = OnDisconnected;
    disconnect.onFailure = OnDisconnectFailed;
    disconnect.context = this;
    if (MQTTAsync_disconnect(m_client, &disconnect) != MQTTASYNC_SUCCESS) return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(3000), [&] { return m_disconnected; });
}

void MqttPublisher::OnDisconnected(void* context, MQTTAsync_successData*) {
    auto& self = *static_cast<MqttPublisher*>(context);
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        self.m_disconnected = true;
    }
    self.m_changed.notify_all();
}

void MqttPublisher::OnDisconnectFailed(void* context, MQTTAsync_failureData*) { OnDisconnected(context, nullptr); }

void MqttPublisher::Feed() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        // Between connections the client would only queue them: they wait in the store.
        std::optional<StoredMessage> next = m_connected ? m_store.Hand(kWindow) : std::nullopt;
        if (!next) {
            m_changed.wait(lock);
            continue;
        }
        Delivery& delivery = m_deliveries.insert_or_assign(next->id, Delivery{this, next->id}).first->second;
        lock.unlock();
        MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
        response.onSuccess = OnDelivered;
        response.onFailure = OnUndelivered;
        response.context = &delivery;
        const int rc = Send(next->topic, next->payload, next->retained, response);
        lock.lock();
        if (rc != MQTTASYNC_SUCCESS) {
            // The client's buffer is full or it is between connections: try again shortly.
            m_deliveries.erase(next->id);
            m_store.Returned(next->id);
            m_changed.wait_for(lock, std::chrono::milliseconds(100));
        }
    }
}

void MqttPublisher::Commit() {
    SpoolCommitter committer(m_store, m_mutex, m_warn);
    const auto start = std::chrono::steady_clock::now();
    const auto nowMs = [&] {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    };
    for (;;) {
        const uint32_t waitMs = committer.CommitOnce(nowMs());
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_stopping) break;
        m_changed.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return m_stopping.load(); });
    }
    // What was acknowledged last is not sent again at the next start.
    committer.CommitOnce(nowMs() + SpoolCommitter::kStateEveryMs);
}

int MqttPublisher::Send(const std::string& topic, const std::string& payload, bool retained,
                        MQTTAsync_responseOptions& response) {
    MQTTAsync_message message = MQTTAsync_message_initializer;
    message.payload = const_cast<char*>(payload.data());
    message.payloadlen = static_cast<int>(payload.size());
    message.qos = 1;
    message.retained = retained ? 1 : 0;
    return MQTTAsync_sendMessage(m_client, topic.c_str(), &message, &response);
}

void MqttPublisher::SendRetained(const std::string& topic, const std::string& payload) {
    MQTTAsync_responseOptions response = MQTTAsync_responseOptions_initializer;
    Send(topic, payload, true, response);
}

void MqttPublisher::TellOnline() {
    uint64_t dropped = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dropped = m_store.Dropped();
    }
    SendRetained(m_topics.Status(), "online");
    SendRetained(m_topics.Dropped(), std::to_string(dropped));
}

void MqttPublisher::OnDelivered(void* context, MQTTAsync_successData*) { Settle(context, true); }

void MqttPublisher::OnUndelivered(void* context, MQTTAsync_failureData*) { Settle(context, false); }

// The broker has the message, or the client gives it back to be handed out again.
void MqttPublisher::Settle(void* context, bool delivered) {
    const Delivery delivery = *static_cast<Delivery*>(context);
    MqttPublisher& self = *delivery.publisher;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        if (delivered) {
            self.m_store.Delivered(delivery.id);
        } else {
            self.m_store.Returned(delivery.id);
        }
        self.m_deliveries.erase(delivery.id);
    }
    self.m_changed.notify_all();
}

void MqttPublisher::OnConnected(void* context, char*) {
    auto& self = *static_cast<MqttPublisher*>(context);
    bool wasLost = false;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        wasLost = self.m_everConnected && !self.m_connected;
        self.m_connected = self.m_everConnected = true;
        self.m_connectedAt = std::chrono::steady_clock::now();
    }
    self.m_changed.notify_all();
    if (wasLost && self.m_quickLosses < kQuickLossesToSay)
        self.m_warn("the broker is back: pending readings are being delivered");
    self.TellOnline();
}

void MqttPublisher::OnConnectionLost(void* context, char*) {
    auto& self = *static_cast<MqttPublisher*>(context);
    uint32_t quickLosses = 0;
    {
        std::lock_guard<std::mutex> lock(self.m_mutex);
        self.m_connected = false;
        const bool quick = std::chrono::steady_clock::now() - self.m_connectedAt < kQuickLoss;
        quickLosses = self.m_quickLosses = quick ? self.m_quickLosses + 1 : 0;
    }
    if (quickLosses == 0) {
        self.m_warn("lost the broker: polling goes on, readings are kept until it is back");
    } else if (quickLosses == kQuickLossesToSay) {
        // MQTT 3.1.1 gives no reason: a broker closes a session at once when
        // another client connects with the same id, and this is what it looks like.
        self.m_warn("the broker closes the connection as soon as it is made: another client is using the client id " +
                    self.m_settings.clientId + " and takes the session over");
    }
}

// Nothing is subscribed; the client wants the callback all the same.
int MqttPublisher::OnMessage(void*, char* topic, int, MQTTAsync_message* message) {
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    return 1;
}
