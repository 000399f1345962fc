#include <gtest/gtest.h>

#include <string>

#include "control_number.h"

TEST(ControlNumber, ReadsAsTheDialogManagerDoesAndFallsBackToZeroOnAnythingElse) {
    const struct {
        std::string text;
        int32_t value;
    } cases[] = {
        {"1000", 1000},       {"  42", 42},          {"\t\r\n 7", 7},       {"+300", 300},
        {"-5", -5},           {"25abc", 25},         {"12 34", 12},         {"007", 7},
        {"", 0},              {"abc", 0},            {"-", 0},              {"+", 0},
        {"- 5", 0},           {"--5", 0},            {"x12", 0},            {"１２", 0},
        {"\xff\xfe" "12", 0}, {"2147483647", 2147483647},                   {"-2147483648", INT32_MIN},
        {"2147483648", 0},    {"-2147483649", 0},    {"99999999999999999999999999", 0},
        {std::string(100000, '9'), 0},               {std::string(100000, '0') + "5", 5},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value, ReadSignedDecimal(c.text)) << "text: " << c.text.substr(0, 40);
}
