// The trend window of the real Lumeric.exe under Wine, against three
// simulated units (stations 1 to 3 at 9600 bit/s) on COM $LUMERIC_COM: what
// it shows of a cycle, a PNG of it, and a record opened for review.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "console_driver.h"
#include "resource.h"
#include "sim_control.h"

namespace {

constexpr wchar_t kTrendCaption[] = L"趋势";

std::vector<std::wstring> ReadoutLines(HWND trend) {
    const std::wstring text = ConsoleDriver::TextIn(trend, IDC_TREND_READOUT);
    std::vector<std::wstring> lines;
    for (size_t at = 0, end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2) {
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

std::vector<std::wstring> SeriesNames(const std::vector<int>& addresses) {
    std::vector<std::wstring> names;
    for (int address : addresses) {
        for (int channel = 1; channel <= 4; ++channel) {
            names.push_back(L"地址" + std::to_wstring(address) + L" 电池" + std::to_wstring(channel));
        }
    }
    return names;
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes.at(at + i));
    return value;
}

TEST(TrendTest, ShowsTheCyclesUnitsAndNewestValuesSavesAPngAndReviewsARecord) {
    ASSERT_GT(ComNumber(), 0) << "LUMERIC_COM is not set";
    ConsoleDriver console;
    ASSERT_TRUE(console.Start()) << "Lumeric.exe did not show its window";
    HWND window = console.OpenMultiUnit(ComNumber(), 3);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_TREND));
    HWND trend = console.WaitForNewWindow(kTrendCaption, {}, 10000);
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(GetWindow(trend, GW_OWNER), window);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(trend, IDC_TREND_OPEN))) << "no record while the cycle runs";

    ASSERT_TRUE(WaitUntil([&] { return TableCount(window, 2, 0) >= 1; }, 20000));
    ASSERT_TRUE(console.ClickIn(window, IDC_BTN_ACQUIRE));
    ASSERT_TRUE(console.Settle());
    EXPECT_EQ(console.ListLinesIn(trend, IDC_TREND_SERIES), SeriesNames({1, 2, 3}));
    std::vector<std::wstring> readout = ReadoutLines(trend);
    ASSERT_EQ(readout.size(), 13u);
    EXPECT_EQ(readout[0].substr(0, 3), L"最新 ");
    for (int row = 0; row < 3; ++row) {
        const std::wstring cells[] = {
            TableCell(window, IDC_LIST_BAT1, row, 1), TableCell(window, IDC_LIST_BAT2, row, 0),
            TableCell(window, IDC_LIST_BAT3, row, 0), TableCell(window, IDC_LIST_BAT4, row, 0)};
        for (int channel = 0; channel < 4; ++channel) {
            EXPECT_EQ(readout[1 + row * 4 + channel], SeriesNames({row + 1})[channel] + L" " + cells[channel] + L"V");
        }
    }
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(trend, IDC_TREND_OPEN)));

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = temp + std::wstring(L"lumeric-trend-") + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(console.ClickAndSaveAs(trend, IDC_TREND_SAVE_IMAGE, file + L".png"));
    const std::string png = FileBytes(file + L".png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    RECT plot{};
    GetClientRect(GetDlgItem(trend, IDC_TREND_PLOT), &plot);
    EXPECT_EQ(BigEndian32(png, 16), static_cast<uint32_t>(plot.right)) << "the image is the plot as shown";
    EXPECT_EQ(BigEndian32(png, 20), static_cast<uint32_t>(plot.bottom));

    std::ofstream((file + L".csv").c_str(), std::ios::binary)
        << "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n"
           "2026-12-07T23:59:58.000,7,1.000,2.000,3.000,4.000,正常,1,0\r\n"
           "garbage\r\n"
           "2026-12-08T00:00:01.500,7,1.250,2.000,3.000,4.000,正常,2,0\r\n"
           "2026-12-08T00:00:02.000,9,,,,,通讯故障,0,1\r\n";
    ASSERT_TRUE(console.ClickAndSaveAs(trend, IDC_TREND_OPEN, file + L".csv"));
    HWND box = console.WaitForMessageBox(10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ConsoleDriver::MessageBoxText(box), L"记录中有无法识别的行，已跳过。行数：1，首行：3");
    ConsoleDriver::DismissMessageBox(box);
    ASSERT_TRUE(console.Settle());
    EXPECT_EQ(console.ListLinesIn(trend, IDC_TREND_SERIES), SeriesNames({7, 9}));
    readout = ReadoutLines(trend);
    ASSERT_EQ(readout.size(), 9u);
    EXPECT_EQ(readout[0], L"最新 12-08 00:00:02.000");
    EXPECT_EQ(readout[1], L"地址7 电池1 1.250V");
    EXPECT_EQ(readout[5], L"地址9 电池1 ——");
    for (const wchar_t* end : {L".png", L".csv"}) DeleteFileW((file + end).c_str());

    console.PressKey(IDC_EDIT_ADDRESS, VK_ESCAPE);
    EXPECT_EQ(console.WaitForExit(10000), 0u);
}

}  // namespace
