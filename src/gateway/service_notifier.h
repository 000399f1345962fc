#pragma once
#include <string>

// What the gateway tells the service manager that started it: ready to
// work, still alive, and a line of status. Each call may do nothing, as it
// does when no service manager listens.
class ServiceNotifier {
public:
    virtual ~ServiceNotifier() = default;
    virtual void Ready() = 0;
    // Called often; the notifier decides how often it is passed on.
    virtual void Alive() = 0;
    virtual void Status(const std::string& text) = 0;
};
