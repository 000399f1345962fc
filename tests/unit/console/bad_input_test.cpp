#include <random>

#include "console_fixture.h"
#include "modbus_frame.h"

namespace {

// Pieces an operator (or a cat on the keyboard) can put into a field.
const std::vector<std::string> kPieces = {
    "0",  "1",  "5",   "25",  "300", "299", "1024", "1025", "2147483647", "2147483648", "-2147483648",
    "-2147483649", "99999999999999999999", "+", "-", " ", "\t", "abc", "x", "0x1F", "1e3", "３",
    "中文", "\xff", "\xc3", "\xe4\xb8", "\x80\x80", std::string(1, '\0'), "%s%n", "\n",
};

std::string RandomText(std::mt19937& rng) {
    std::string text;
    const int pieces = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < pieces; ++i) text += kPieces[rng() % kPieces.size()];
    if (rng() % 16 == 0) text += std::string(20000 + rng() % 20000, "9 -a\xff"[rng() % 5]);
    return text;
}

}  // namespace

// Whatever is typed into the fields, and whatever is selected in the combos,
// every frame on the wire is one whole request with a valid CRC, and nothing
// crashes (the native tests run under ASan and UBSan).
TEST_F(ConsoleTest, NoTypedTextPutsAMalformedFrameOnTheWire) {
    std::mt19937 rng(20261206);
    // A speed added to the combos one day must be refused, not read past the rate table.
    for (int combo : {IDC_COMBO_BAUD, IDC_COMBO_DEVICE_BAUD}) window.comboItems[combo].push_back("38400");
    const int commands[] = {IDC_BTN_OPEN,        IDC_BTN_READ_VOLTAGE, IDC_BTN_CONTINUOUS,
                            IDC_BTN_CONTINUOUS,  IDC_BTN_CLEAR_LOG,    IDC_BTN_MULTI,
                            IDC_BTN_READ_INFO,   IDC_BTN_SET_ADDRESS,  IDC_BTN_SET_SAMPLE_INTERVAL,
                            IDC_BTN_SET_BAUD,    IDC_BTN_RESET,        IDC_BTN_CAL_600V_600V};
    for (int round = 0; round < 400; ++round) {
        for (int field : {IDC_EDIT_ADDRESS, IDC_EDIT_POLL_INTERVAL, IDC_COMBO_PORT, IDC_EDIT_NEW_ADDRESS,
                          IDC_EDIT_SAMPLE_INTERVAL}) {
            Type(field, RandomText(rng));
        }
        for (int combo : {IDC_COMBO_BAUD, IDC_COMBO_DEVICE_BAUD, IDC_COMBO_CAL_CHANNEL}) {
            window.SetComboSelection(combo, static_cast<int>(rng() % 8) - 1);
        }
        if (rng() % 3 == 0) UnitAnswers(VoltageReply(static_cast<uint16_t>(rng())), rng() % 300);
        Click(commands[rng() % 12]);
        if (rng() % 2 == 0) console.OnTimer();
    }
    ASSERT_FALSE(port.writes.empty());
    for (const std::vector<uint8_t>& frame : port.writes) {
        ASSERT_EQ(kRequestLength, frame.size());
        EXPECT_TRUE(VerifyReply(frame.data(), frame.size()));
    }
}
