#include "multi_unit_fixture.h"
#include "poll_record.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";
const std::string kRecordTitle = "时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n";
const std::string kTableTitle = "设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";

// Units 1 and 3 answer, unit 2 is silent; the box is checked and the dialog answers `path`.
class RecordTest : public MultiUnitTest {
protected:
    RecordTest() {
        replies[1] = FourVoltages(1, {3456, 3457, 3458, 3459});
        replies[2] = {};
        mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
        mu.shell.answers = {std::string("C:\\记录\\a,b.csv")};
    }
};

}  // namespace

TEST(PollRecordTest, FieldsWithCommasQuotesOrLineBreaksAreQuotedWithTheirQuotesDoubled) {
    struct Case {
        std::vector<std::string> fields;
        std::string line;
    };
    for (const Case& c : {Case{{"1", "", "电池"}, "1,,电池\r\n"}, Case{{"a,b", "say \"hi\""}, "\"a,b\",\"say \"\"hi\"\"\"\r\n"},
                          Case{{"x\ry", "x\ny"}, "\"x\ry\",\"x\ny\"\r\n"}, Case{{}, "\r\n"}}) {
        EXPECT_EQ(c.line, CsvLine(c.fields));
    }
    EXPECT_EQ("多台采集_20241231_235958.csv", DatedCsvName("多台采集", LocalTime{2024, 12, 31, 23, 59, 58, 7}));
}

TEST_F(RecordTest, EveryPollAddsItsLineToTheChosenFileByteForByte) {
    Start("1", "3");
    EXPECT_EQ(std::vector<std::string>{"多台采集_20240305_000001.csv"}, mu.shell.proposed);
    EXPECT_FALSE(mu.window.IsEnabled(IDC_CHECK_SAVE_RECORD));
    Tick(4);
    EXPECT_EQ("C:\\记录\\a,b.csv", mu.record.path);
    EXPECT_EQ(kBom + kRecordTitle +
                  "2024-03-05T00:00:01.012,1,3.456,3.457,3.458,3.459,正常,1,0\r\n"
                  "2024-03-05T00:00:02.084,2,,,,,通讯故障,0,1\r\n"
                  "2024-03-05T00:00:02.096,3,0.003,0.004,0.005,0.006,正常,1,0\r\n"
                  "2024-03-05T00:00:02.108,1,3.456,3.457,3.458,3.459,正常,2,0\r\n",
              mu.record.bytes);
    mu.ClickAcquire();
    EXPECT_FALSE(mu.record.open);
    EXPECT_TRUE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD)) << "the operator's choice for the next cycle";
    EXPECT_TRUE(mu.window.IsEnabled(IDC_CHECK_SAVE_RECORD));
}

TEST_F(RecordTest, ACancelledOrFailedFileStartsTheCycleWithoutARecordAndUnchecksTheBox) {
    struct Case {
        std::optional<std::string> answer;
        FileError createError;
        std::vector<std::string> messages;
    };
    for (const Case& c : {Case{std::nullopt, {}, {}},
                          Case{"C:\\a.csv", {FileFailure::InUse, 32}, {"保存记录失败，记录已停止，采集继续：\n文件被其他程序占用\nC:\\a.csv"}},
                          Case{"Z:\\a.csv", {FileFailure::Other, 21}, {"保存记录失败，记录已停止，采集继续：\n系统错误 21\nZ:\\a.csv"}}}) {
        mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
        mu.window.messages.clear();
        mu.shell.answers = {c.answer};
        mu.record.createError = c.createError;
        Start("1", "3");
        Tick();
        EXPECT_EQ(c.messages, mu.window.messages);
        EXPECT_FALSE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD));
        EXPECT_TRUE(mu.window.timerRunning);
        EXPECT_TRUE(mu.record.bytes.empty());
        mu.ClickAcquire();
    }
    // Unchecked, the start asks for nothing.
    Start();
    EXPECT_EQ(3u, mu.shell.proposed.size());
}

TEST_F(RecordTest, AFailedWriteKeepsTheEarlierLinesStopsTheRecordAndTheCycleGoesOn) {
    mu.record.failingAppend = 3;  // the title, two polls, then a full disk
    Start("1", "3");
    Tick(4);
    EXPECT_EQ(std::vector<std::string>{"保存记录失败，记录已停止，采集继续：\n磁盘空间不足\nC:\\记录\\a,b.csv"}, mu.window.messages);
    EXPECT_EQ(3, std::count(mu.record.bytes.begin(), mu.record.bytes.end(), '\n'));
    EXPECT_EQ(4, mu.record.appends) << "nothing more is written after the failure";
    EXPECT_FALSE(mu.record.open);
    EXPECT_FALSE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD));
    EXPECT_EQ("停止", mu.window.texts[IDC_BTN_ACQUIRE]);
    EXPECT_EQ(4u, line.writes.size());
}

TEST_F(RecordTest, AWindowThatGoesWhileTheDialogIsUpStartsNoTimer) {
    mu.shell.whileAsking = [this] { mu.dlg.OnClose(); };
    mu.ClickAcquire();
    EXPECT_FALSE(mu.window.timerRunning);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(RecordTest, ExcelWritesTheTableAsShownAndOpensItOrSaysWhyNot) {
    mu.window.checked[IDC_CHECK_SAVE_RECORD] = false;
    struct Case {
        int units;  // ticks too
        std::optional<std::string> answer;
        FileError createError;
        std::string bytes;
        std::vector<std::string> opened;
        std::vector<std::string> messages;
    };
    const std::string filled = kBom + kTableTitle + "1,3.456,3.457,3.458,3.459,1,0\r\n2,通讯故障,——,——,——,0,1\r\n" +
                               "3,0.003,0.004,0.005,0.006,1,0\r\n";
    for (const Case& c : {Case{0, "D:\\t.csv", {}, kBom + kTableTitle, {"D:\\t.csv"}, {}},
                          Case{3, "D:\\t.csv", {}, filled, {"D:\\t.csv"}, {}},
                          Case{3, std::nullopt, {}, "", {}, {}},
                          Case{3, "E:\\t.csv", {FileFailure::FolderMissing, 3}, "", {}, {"导出失败：\n文件夹不存在\nE:\\t.csv"}}}) {
        FakeMultiUnitWindow fresh{cycle, clock};
        fresh.shell.answers = {c.answer};
        fresh.table.createError = c.createError;
        if (c.units > 0) {
            fresh.window.texts[IDC_EDIT_DEVICE_COUNT] = std::to_string(c.units);
            fresh.ClickAcquire();
            for (int i = 0; i < c.units; ++i) fresh.dlg.OnTimer();
            fresh.ClickAcquire();
        }
        fresh.dlg.OnCommand(IDC_BTN_EXCEL);
        EXPECT_EQ(0u, fresh.shell.proposed.at(0).rfind("多台采集表_20240305_00000", 0)) << fresh.shell.proposed[0];
        EXPECT_EQ(c.bytes, fresh.table.bytes);
        EXPECT_FALSE(fresh.table.open);
        EXPECT_EQ(c.opened, fresh.shell.opened);
        EXPECT_EQ(c.messages, fresh.window.messages);
    }
}
