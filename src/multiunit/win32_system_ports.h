#pragma once
#include "system_ports.h"

// The ports listed under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, where every
// serial port driver enters its ports (value: the device, data: "COMn").
class Win32SystemPorts : public SystemPorts {
public:
    std::vector<std::string> Names() override;
};
