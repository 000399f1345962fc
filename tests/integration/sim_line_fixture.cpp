#include "sim_line_fixture.h"

#include "register_map.h"

void SimLineTest::StartSim(const std::vector<std::string>& arguments, uint32_t hostBaud) {
    ASSERT_TRUE(sim.Start(arguments)) << "lumeric-sim did not start";
    ReopenAt(hostBaud);
}

void SimLineTest::ReopenAt(uint32_t hostBaud) {
    line.Close();
    ASSERT_TRUE(line.Open(sim.PtyPath(), hostBaud)) << sim.PtyPath();
    baud = static_cast<int32_t>(hostBaud);
}

ExchangeResult SimLineTest::Run(const RequestFrame& request, size_t replyLength, bool drainFirst) {
    const uint32_t start = clock.NowMs();
    const ExchangeResult result = exchange.Exchange(request, replyLength, drainFirst, true, false);
    elapsedMs = clock.NowMs() - start;
    return result;
}

std::vector<uint8_t> SimLineTest::Transfer(const RequestFrame& request, uint32_t listenMs) {
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    std::vector<uint8_t> received;
    const uint32_t start = clock.NowMs();
    for (uint32_t elapsed = 0; elapsed < listenMs; elapsed = clock.NowMs() - start) {
        line.WaitForInput(listenMs - elapsed);
        uint8_t chunk[64];
        const ReadResult result = line.Read(chunk, sizeof chunk, 0);
        received.insert(received.end(), chunk, chunk + result.count);
    }
    return received;
}

uint16_t SimLineTest::ReplyRegister(size_t index) const {
    return RegisterValueAt(exchange.Reply() + kReplyDataOffset + 2 * index);
}

std::vector<uint8_t> SimLineTest::Reply(size_t length) const {
    return {exchange.Reply(), exchange.Reply() + length};
}
