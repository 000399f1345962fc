#pragma once
#include <string>
#include <vector>

// The serial ports the machine has, as the system names them ("COM3",
// "COM27"...), in no particular order. Read anew at every call: adapters come
// and go while the program runs. Win32SystemPorts is the real one; tests use a fake.
class SystemPorts {
public:
    virtual ~SystemPorts() = default;
    virtual std::vector<std::string> Names() = 0;
};
