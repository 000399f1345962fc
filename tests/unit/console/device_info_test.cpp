#include "console_fixture.h"
#include "format_hex.h"

namespace {

class DeviceInfoTest : public ConsoleTest {
protected:
    // The unit answers both requests; the second reply comes after the second request.
    void ReadInfo(const std::vector<uint8_t>& settings, const std::vector<uint8_t>& identity) {
        UnitAnswers(settings, 20);
        UnitAnswers(identity, 60);
        Click(IDC_BTN_READ_INFO);
    }
};

// Both requests go to the station in the field. The address is the low byte
// of its register; each text comes from its field; the log holds the last
// exchange, its reply in five lines.
TEST_F(DeviceInfoTest, FillsTheAddressFromItsLowByteAndEachTextFromItsField) {
    OpenPort();
    const std::vector<std::string> texts = {"AB", "V1.00", "Maker", "P2"};
    const std::vector<uint8_t> identity =
        IdentityReply({AsBytes("AB"), AsBytes("V1.00"), AsBytes("Maker"), AsBytes("P2")});
    ReadInfo(SettingsReply(0x0105, 9600, 10), identity);
    EXPECT_EQ("5", Text(IDC_EDIT_NEW_ADDRESS));
    EXPECT_EQ(texts, (std::vector<std::string>{Text(IDC_STATIC_DEVICE_NAME), Text(IDC_STATIC_SW_VERSION),
                                               Text(IDC_STATIC_VENDOR), Text(IDC_STATIC_PROTOCOL_VERSION)}));
    const std::vector<std::vector<uint8_t>> requests = {{0x01, 0x03, 0x00, 0x01, 0x00, 0x03, 0x54, 0x0B},
                                                        {0x01, 0x03, 0x00, 0x07, 0x00, 0x28, 0xF4, 0x15}};
    EXPECT_EQ(requests, port.writes);
    EXPECT_EQ("读5:" + FormatHex(&identity[76], 9), Log().back());
}

// The unit's rate selects its item, or none over an earlier pick. Names are
// code page 936, cut at their first zero or at the end of their field.
TEST_F(DeviceInfoTest, TheRateSelectsItsItemOrNoneAndNamesAreCodePage936) {
    OpenPort();
    const std::string thirtyAs(30, 'A');
    const struct {
        uint16_t baud;
        int selected;
        std::vector<uint8_t> name;
        std::string shown;
    } cases[] = {
        {19200, 4, {0xC0, 0xCA, 0xC3, 0xF7, 0xB5, 0xE7, 0xD7, 0xD3}, "朗明电子"},
        {1200, 0, AsBytes(thirtyAs), thirtyAs},
        {1234, -1, {}, ""},
        // A lead byte whose next byte cannot follow it; the text ends at the zero.
        {9600,
         3,
         {0x41, 0x81, 0x30, 0x00, 0x43},
         "A\xEF\xBF\xBD"
         "0"},
        // A lead byte that ends the field must not borrow the next field's first byte.
        {9600, 3, AsBytes(std::string(29, 'A') + "\xB5"), std::string(29, 'A') + "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        window.SetComboSelection(IDC_COMBO_DEVICE_BAUD, 2);  // an earlier pick
        ReadInfo(SettingsReply(1, c.baud, 10), IdentityReply({c.name, {0xE7}}));
        EXPECT_EQ(c.selected, window.GetComboSelection(IDC_COMBO_DEVICE_BAUD)) << c.baud;
        EXPECT_EQ(c.shown, Text(IDC_STATIC_DEVICE_NAME));
    }
}

}  // namespace
