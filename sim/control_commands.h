#pragma once
#include <string>
#include <vector>

#include "sim_state.h"

// The control channel's text commands. Each command gives one reply line,
// "ok ..." or "error <why>", except `log`, which lists the frames first.
class ControlCommands {
public:
    explicit ControlCommands(SimState& state) : m_state(state) {}

    // Returns the reply, newline-terminated. Sets `quit` for "quit".
    std::string Execute(const std::string& line, bool& quit);

private:
    std::string Add(const std::vector<std::string>& words);
    std::string Set(const std::vector<std::string>& words);
    std::string SetOnUnit(SimUnit& unit, const std::vector<std::string>& words);
    // `voltage`, `ramp` and `jitter` of one channel.
    std::string SetVoltage(SimUnit& unit, const std::vector<std::string>& words);
    std::string SetFault(const std::vector<std::string>& words);
    std::string Get(const std::vector<std::string>& words);
    std::string Log();
    std::string ClearLog();
    std::string LastReplyEnd();

    SimState& m_state;
};
