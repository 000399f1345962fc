#pragma once
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Messages from the broker's thread, taken up by the polling thread between
// polls: the gateway's state is only ever touched by the one thread.
class ReceivedMessages {
public:
    using Message = std::pair<std::string, std::string>;  // topic, payload
    void Add(std::string topic, std::string payload) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.emplace_back(std::move(topic), std::move(payload));
    }
    std::vector<Message> TakeAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_messages, {});
    }

private:
    std::mutex m_mutex;
    std::vector<Message> m_messages;
};
