// Numbers typed into the console's fields, against the C library's reading:
// blanks, a sign, digits; no number and out of 32-bit range both read as 0.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "control_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int32_t value = ReadSignedDecimal(text);

    const std::string upToNul = text.substr(0, text.find('\0'));
    errno = 0;
    char* end = nullptr;
    const long long reference = std::strtoll(upToNul.c_str(), &end, 10);
    const bool parsed = end != upToNul.c_str() && errno != ERANGE && reference >= INT32_MIN && reference <= INT32_MAX;
    if (value != (parsed ? reference : 0)) std::abort();
    if (ReadSignedDecimal(SignedDecimalText(value)) != value) std::abort();
    return 0;
}
