#include <gtest/gtest.h>

#include <string>

#include "control_number.h"

TEST(ControlNumber, ReadsAsTheDialogManagerDoesAndFallsBackToZeroOnAnythingElse) {
    const struct {
        std::string text;
        int32_t value;
    } cases[] = {
        {"\t\r\n 42", 42},
        {"+300", 300},
        {"-5", -5},
        {"25abc", 25},
        {"", 0},
        {"abc", 0},
        {"- 5", 0},
        {"--5", 0},
        {"１２", 0},
        {"\xff\xfe"
         "12",
         0},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", 0},
        {"-2147483649", 0},
        {std::string(100000, '9'), 0},
        {std::string(100000, '0') + "5", 5},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value, ReadSignedDecimal(c.text)) << "text: " << c.text.substr(0, 40);
}
