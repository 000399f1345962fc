#pragma once
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli_environment.h"
#include "fakes/fake_record_io.h"
#include "fakes/fake_serial_line.h"
#include "fakes/virtual_clock.h"
#include "iconv_cp936_decoder.h"
#include "register_map.h"
#include "run_cli.h"

// A line with units behind it: a request answered at the speed the port is
// open at gets its scripted reply 5 ms later; any other stays unanswered.
class AnsweringLine : public FakeSerialLine {
public:
    explicit AnsweringLine(VirtualClock& clock) : FakeSerialLine(clock), m_clock(clock) {}
    void StartWrite(const uint8_t* data, uint32_t count) override {
        FakeSerialLine::StartWrite(data, count);
        const auto answer = answers.find({opened.back().baudRate, writes.back()});
        if (answer != answers.end()) Arrive(m_clock.NowMs() + 5, answer->second);
    }
    std::map<std::pair<uint32_t, std::vector<uint8_t>>, std::vector<uint8_t>> answers;

private:
    VirtualClock& m_clock;
};

// The port named "missing" is not there; "LPT1" is no port name.
class FakeCliPort : public CliPort {
public:
    explicit FakeCliPort(FakeSerialLine& line) : m_line(line) {}
    PortOpening Open(const std::string& name, uint32_t baudRate) override {
        if (name == "LPT1") return PortOpening::BadName;
        if (name == "missing") return PortOpening::Unavailable;
        m_line.Open(1, baudRate);
        return PortOpening::Opened;
    }
    SerialLine& Line() override { return m_line; }

private:
    FakeSerialLine& m_line;
};

class StringStreams : public CliStreams {
public:
    void Out(const std::string& text) override { out += text; }
    void Err(const std::string& text) override { err += text; }
    bool ErrIsTerminal() const override { return terminal; }
    std::string out;
    std::string err;
    bool terminal = false;
};

// The program on a fake port and virtual time; a command line is words
// split at spaces.
class CliTest : public ::testing::Test {
protected:
    CliTest() { line.open = false; }
    int Run(const std::string& commandLine) {
        std::istringstream in(commandLine);
        const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
        const uint32_t start = clock.NowMs();
        const int code = RunCli(words, environment);
        elapsedMs = clock.NowMs() - start;
        return code;
    }
    // `request`, sent at `baudRate`, is answered with `reply`.
    void Answer(uint32_t baudRate, const RequestFrame& request, const std::vector<uint8_t>& reply) {
        line.answers[{baudRate, std::vector<uint8_t>(request.begin(), request.end())}] = reply;
    }

    VirtualClock clock{1000};
    AnsweringLine line{clock};
    FakeCliPort port{line};
    IconvCp936Decoder unitText;
    StringStreams streams;
    FakeLocalClock localClock{clock};
    FakeOutputFile recordFile;
    CliEnvironment environment{port, clock, unitText, streams, localClock, recordFile};
    uint32_t elapsedMs = 0;
};
