// lumeric-sim: simulated monitoring units on a pseudo-terminal, driven over a
// TCP control channel. See the README for the options and the commands.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "control_server.h"
#include "line_worker.h"
#include "options.h"
#include "pty.h"

namespace {
StopSignal* g_stopOnSignal = nullptr;

void OnTerminate(int) { g_stopOnSignal->Raise(); }

void InstallSignalHandlers(StopSignal& stop) {
    g_stopOnSignal = &stop;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Like `ln -sf`: a stale link from an earlier run is replaced.
bool PlaceLink(const std::string& linkPath, const std::string& target) {
    unlink(linkPath.c_str());
    return symlink(target.c_str(), linkPath.c_str()) == 0;
}

// Only our own link goes; another sim may have replaced it meanwhile.
void RemoveLink(const std::string& linkPath, const std::string& target) {
    char pointsTo[4096];
    const ssize_t length = readlink(linkPath.c_str(), pointsTo, sizeof pointsTo - 1);
    if (length < 0) return;
    pointsTo[length] = '\0';
    if (target == pointsTo) unlink(linkPath.c_str());
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "lumeric-sim: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    SimOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "lumeric-sim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    StopSignal stop;
    if (!stop.Valid()) return Fail("pipe");
    InstallSignalHandlers(stop);

    Pty pty;
    if (!pty.Open()) return Fail("pseudo-terminal");
    SimState state;
    for (const UnitOption& unit : options.units) state.units.push_back(MakeDefaultUnit(unit.address, unit.baud));
    ControlCommands commands(state);
    ControlServer control(commands, stop);
    if (!control.Listen(options.controlPort)) return Fail("control port");
    if (!options.linkPath.empty() && !PlaceLink(options.linkPath, pty.SlavePath()))
        return Fail("link " + options.linkPath);

    std::printf("pty %s\ncontrol %u\nready\n", pty.SlavePath().c_str(), unsigned{control.Port()});
    std::fflush(stdout);

    LineWorker line(pty, state, stop);
    std::thread lineThread([&line] { line.Run(); });
    std::thread controlThread([&control] { control.Run(); });
    lineThread.join();
    controlThread.join();
    if (!options.linkPath.empty()) RemoveLink(options.linkPath, pty.SlavePath());
    return 0;
}
