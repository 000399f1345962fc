#pragma once
// The control channel of a lumeric-sim, for the Windows test programs.
//
//   SimControl sim;                          // connects to $LUMERIC_SIM_CONTROL
//   sim.Command("fault 1 silent");           // -> "ok ..." or "error ..."
//   for (const SimFrame& f : sim.Log()) ...  // what the units received
//   sim.Command("clearlog");
//
// LUMERIC_COM holds the COM number the sim's pty is linked as (ComNumber());
// with several sims, the k-th one's variables end in _k (SimControl("_2")).
// Link ws2_32.
#include <cstdint>
#include <string>
#include <vector>

// One frame a unit received: "rx <ms> <host baud> <HEX>".
struct SimFrame {
    uint32_t ms = 0;
    uint32_t baud = 0;
    std::string hex;  // upper case, no spaces
};

class SimControl {
public:
    // suffix "" for the first sim, "_2" for the second...
    explicit SimControl(const std::string& suffix = "");
    ~SimControl();
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;

    bool Connected() const;
    // Sends one command line; returns the reply line without its line end,
    // or "" when the channel is gone.
    std::string Command(const std::string& line);
    // Command, true when the sim answered "ok".
    bool Ok(const std::string& line) { return Command(line).compare(0, 2, "ok") == 0; }
    // The "log" command: every frame received since the last clearlog.
    std::vector<SimFrame> Log();

private:
    bool ReadLine(std::string& line);

    uintptr_t m_socket;
};

// The COM number from LUMERIC_COM<suffix>; 0 when unset.
int ComNumber(const std::string& suffix = "");
