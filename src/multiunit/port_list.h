#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The multi-unit window's port list: "COM1" to "COM12" always, in order, so
// that a port's place in the list stays what it has always been; then the
// machine's own ports numbered above 12 (USB adapters are commonly COM13 to
// COM40), in numeric order, each once. `systemPorts` are the names the system
// lists ("COM27"...); names that are not a COM port are left out.
std::vector<std::string> PortListItems(const std::vector<std::string>& systemPorts);

// The COM number an item names: 27 for "COM27", 0 for a text that names no port.
int32_t ComNumberOf(const std::string& item);
