#include "mqtt_poll.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

#include "alarm_watch.h"
#include "broker_password.h"
#include "broker_settings.h"
#include "gateway.h"
#include "message_store.h"
#include "mqtt_publisher.h"
#include "pass_status.h"
#include "poll_line.h"
#include "posix_spool_disk.h"
#include "received_messages.h"
#include "systemd_notifier.h"
#include "unit_reply.h"

namespace {

// How long a stopping gateway waits for the broker to take what is pending.
constexpr int kFlushOnStopMs = 5000;
// An information read waits as a poll does: a silent unit must not hold up the start for long.
constexpr int32_t kInfoWaitMs = 1000;
// Home Assistant back online: discovery again after a random wait in this
// range, so that the gateways of a site do not all answer at once.
constexpr uint32_t kAnnounceAgainMinMs = 1000;
constexpr uint32_t kAnnounceAgainMaxMs = 5000;

std::atomic<bool> g_stopRequested{false};

void RequestStop(int) { g_stopRequested = true; }

void StopOnSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a service manager's reload: stopped as cleanly, not killed with readings unsent.
    sigaction(SIGHUP, &action, nullptr);
}

class PosixWallClock : public WallClock {
public:
    WallTime Now() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::tm local{};
        localtime_r(&now.tv_sec, &local);
        return {static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000,
                static_cast<int32_t>(local.tm_gmtoff / 60)};
    }
};

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !*name) return "localhost";
    return name;
}

// The unit's name, software version and maker, when it answers at start-up.
std::optional<UnitIdentity> ReadIdentity(CliSession& session, uint8_t address) {
    ExchangeOptions quick;
    quick.deadlineMs = kInfoWaitMs;
    session.AwaitSilence();
    DeviceInfo info;
    if (session.ReadInfo(address, info, quick) != ExchangeResult::Ok) return std::nullopt;
    return UnitIdentity{info.name, info.softwareVersion, info.maker};
}

// The gateway's side of the polling thread: every poll shown as `poll`
// shows it, then published; the service manager told the gateway lives and
// how the last pass went; what Home Assistant said meanwhile answered.
// SIGINT or SIGTERM ends the polling.
class PublishingSink : public PollSink {
public:
    PublishingSink(PollSink& shown, Gateway& gateway, MqttPublisher& publisher, ReceivedMessages& received,
                   ServiceNotifier& service, CliSession& session)
        : m_shown(shown),
          m_gateway(gateway),
          m_publisher(publisher),
          m_received(received),
          m_service(service),
          m_session(session),
          m_passStatus(session.options.addresses.size()) {}

    // Published first: a record file that fails ends the polling, but the reading was taken.
    std::optional<CliFailure> Polled(const PolledUnit& poll, PollFailure failure) override {
        if (!m_gateway.Publish(poll, failure) && !m_sequenceWarned) {
            m_session.Streams().Err("lumeric-cli: the sequence number cannot be written to the spool\n");
            m_sequenceWarned = true;
        }
        if (auto status = m_passStatus.AfterPoll(poll.volts.has_value(), m_publisher.Pending())) {
            m_service.Status(*status);
        }
        Tick();
        // A broker that came up refusing us for good: the readings wait in the spool.
        if (auto refused = m_publisher.Refused()) return CliFailure{ExitCode::BrokerFailed, *refused};
        return m_shown.Polled(poll, failure);
    }
    bool StopRequested() const override { return g_stopRequested; }
    void PortGone() override { m_gateway.PortGone(); }
    void Tick() override {
        m_service.Alive();
        const uint32_t nowMs = m_session.TheClock().NowMs();
        for (const auto& [topic, payload] : m_received.TakeAll()) {
            m_gateway.Received(topic, payload, nowMs, m_delay(m_random));
        }
        m_gateway.Tick(nowMs);
    }

private:
    PollSink& m_shown;
    Gateway& m_gateway;
    MqttPublisher& m_publisher;
    ReceivedMessages& m_received;
    ServiceNotifier& m_service;
    CliSession& m_session;
    PassStatus m_passStatus;
    std::mt19937 m_random{std::random_device{}()};
    std::uniform_int_distribution<uint32_t> m_delay{kAnnounceAgainMinMs, kAnnounceAgainMaxMs};
    bool m_sequenceWarned = false;
};

// Held while the gateway runs: two gateways on one spool would send each
// other's readings and lose track of what was delivered.
struct SpoolLock {
    ~SpoolLock() {
        if (fd >= 0) close(fd);
    }
    int fd = -1;
};

std::optional<CliFailure> OpenSpool(const std::string& folder, SpoolLock& lock, SpoolDisk& disk, MessageStore& store,
                                    SequenceCounter& sequence) {
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        return CliFailure{ExitCode::FileFailed,
                          "cannot create the spool folder " + folder + ": " + std::strerror(errno)};
    }
    lock.fd = open((folder + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock.fd < 0 || flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
        return CliFailure{ExitCode::FileFailed,
                          "the spool " + folder + " is in use by another gateway, or cannot be locked"};
    }
    if (auto why = store.OpenJournal(folder, disk)) return CliFailure{ExitCode::FileFailed, *why};
    if (auto why = sequence.Open(disk, folder)) return CliFailure{ExitCode::FileFailed, *why};
    return std::nullopt;
}

// The units a spool's earlier runs announced, one address a line; those no
// longer in --addresses are withdrawn, and the list becomes this run's.
void WithdrawUnitsNoLongerPolled(SpoolDisk& disk, const std::string& folder, const std::vector<uint8_t>& addresses,
                                 Gateway& gateway) {
    const std::string path = folder + "/units";
    std::istringstream earlier(disk.Read(path).value_or(""));
    for (unsigned address = 0; earlier >> address;) {
        if (address <= 255 && std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            gateway.Withdraw(static_cast<uint8_t>(address));
        }
    }
    std::string now;
    for (const uint8_t address : addresses) now += std::to_string(address) + "\n";
    disk.Replace(path, now);
}

}  // namespace

std::optional<CliFailure> CheckGatewayOptions(const CliOptions& options) {
    const GatewayOptions& gateway = options.gateway;
    const auto refuse = [](const std::string& why) { return CliFailure{ExitCode::Usage, why}; };
    if (gateway.url.empty()) return std::nullopt;
    const auto address = ParseBrokerUrl(gateway.url);
    if (const auto* why = std::get_if<std::string>(&address)) return refuse(*why);
    if (!gateway.caFile.empty() && !std::get<ClientAddress>(address).tls)
        return refuse("--cafile needs an mqtts:// broker");
    if (!gateway.caFile.empty() && access(gateway.caFile.c_str(), R_OK) != 0) {
        return refuse("--cafile " + gateway.caFile + " cannot be read");
    }
    if (!gateway.passwordFile.empty() && access(gateway.passwordFile.c_str(), R_OK) != 0) {
        return refuse("--password-file " + gateway.passwordFile + " cannot be read");
    }
    if (!gateway.topicPrefix.empty() && !ValidTopicPrefix(gateway.topicPrefix)) {
        return refuse("--topic " + gateway.topicPrefix + " is no topic prefix (no + or #, no empty level)");
    }
    return std::nullopt;
}

CommandOutcome RunMqttPoll(CliSession& session, PollSink& shown) {
    const CliOptions& options = session.options;
    const GatewayOptions& gateway = options.gateway;
    CliStreams& streams = session.Streams();
    StopOnSignals();
    const GatewayTopics topics(gateway.topicPrefix.empty() ? DefaultTopicPrefix(HostName(), options.port)
                                                           : gateway.topicPrefix);
    MessageStore store(gateway.spoolLimit);
    SequenceCounter sequence;
    SpoolLock lock;
    PosixSpoolDisk disk;
    if (!gateway.spoolDir.empty()) {
        if (auto failure = OpenSpool(gateway.spoolDir, lock, disk, store, sequence)) return failure;
    }
    if (store.Pending() > 0) {
        streams.Err("lumeric-cli: " + std::to_string(store.Pending()) +
                    " readings of an earlier run still to deliver\n");
    }

    BrokerSettings broker;
    broker.url = gateway.url;
    broker.user = gateway.user;
    // A password goes with a user name only (MQTT has no password alone); one
    // from the environment may be meant for another command.
    if (!broker.user.empty()) {
        const auto found =
            FindBrokerPassword({gateway.passwordFile, gateway.password, std::getenv("CREDENTIALS_DIRECTORY")});
        if (const auto* why = std::get_if<std::string>(&found)) return CliFailure{ExitCode::Usage, *why};
        const BrokerPassword& password = std::get<BrokerPassword>(found);
        if (!password.warning.empty()) streams.Err("lumeric-cli: " + password.warning + "\n");
        broker.password = password.password;
    }
    broker.caFile = gateway.caFile;
    broker.clientId = topics.ClientId(HostName(), options.port);
    MqttPublisher publisher(store, topics,
                            [&streams](const std::string& text) { streams.Err("lumeric-cli: " + text + "\n"); });
    if (auto why = publisher.Connect(broker)) return CliFailure{ExitCode::BrokerFailed, *why};

    // The port, the spool and the broker's first answer are behind us: systemd may call the service started.
    SystemdNotifier service;
    service.Ready();
    PosixWallClock clock;
    const uint32_t worstPassMs =
        std::max<uint32_t>(options.periodMs, static_cast<uint32_t>(options.addresses.size()) * kUnitReplyWaitMs);
    const bool alarmsWatched = options.alarms.AnyLimit();
    Gateway lineGateway(topics, publisher, clock, sequence, worstPassMs,
                        alarmsWatched ? std::optional<AlarmLimits>(options.alarms) : std::nullopt);
    ReceivedMessages received;
    if (!gateway.spoolDir.empty()) WithdrawUnitsNoLongerPolled(disk, gateway.spoolDir, options.addresses, lineGateway);
    if (gateway.discovery) {
        lineGateway.AnnounceGateway();
        // A stop is heard between units: at most one information read's wait.
        for (size_t i = 0; i < options.addresses.size() && !g_stopRequested; ++i) {
            service.Alive();  // a silent unit costs a second, and a line may have many
            lineGateway.AnnounceUnit(options.addresses[i], ReadIdentity(session, options.addresses[i]));
        }
        publisher.Listen(
            lineGateway.Subscriptions(),
            [&received](const std::string& topic, const std::string& payload) { received.Add(topic, payload); });
    }
    PublishingSink sink(shown, lineGateway, publisher, received, service, session);
    AlarmWatch watched(
        session, sink,
        [&lineGateway](int64_t address, const std::vector<AlarmEvent>& events, const ActiveAlarms& active) {
            lineGateway.PublishAlarms(static_cast<uint8_t>(address), events, active);
        });
    const CommandOutcome outcome = PollLine(session, alarmsWatched ? static_cast<PollSink&>(watched) : sink);
    service.Status("stopping: delivering what is pending");

    // A broker that refuses us takes nothing: the readings wait for the next run, or are lost.
    if (const size_t pending = publisher.Flush(publisher.Refused() ? 0 : kFlushOnStopMs)) {
        streams.Err("lumeric-cli: " + std::to_string(pending) + " readings not delivered; " +
                    (gateway.spoolDir.empty() ? std::string("they are lost (no --spool)")
                                              : "they wait in " + gateway.spoolDir + " for the next run") +
                    "\n");
    }
    publisher.Close();
    return outcome;
}
