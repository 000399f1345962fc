#include "multi_unit_fixture.h"
#include "poll_record.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

// Units 1 and 3 answer, unit 2 is silent; the box is checked and the dialog answers a path.
class RecordTest : public MultiUnitTest {
protected:
    RecordTest() {
        replies[1] = FourVoltages(1, {3456, 3457, 3458, 3459});
        replies[2] = {};
        mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
        mu.shell.answers = {std::string("C:\\a.csv")};
    }
};

}  // namespace

TEST(PollRecordTest, FieldsWithCommasQuotesOrLineBreaksAreQuotedWithTheirQuotesDoubled) {
    EXPECT_EQ("1,,电池,\"a,b\",\"say \"\"hi\"\"\",\"x\ry\",\"x\ny\"\r\n",
              CsvLine({"1", "", "电池", "a,b", "say \"hi\"", "x\ry", "x\ny"}));
}

TEST_F(RecordTest, EveryPollAddsItsLineToTheChosenFileByteForByte) {
    Start("1", "3");
    EXPECT_EQ(std::vector<std::string>{"多台采集_20240305_000001.csv"}, mu.shell.proposed);
    EXPECT_FALSE(mu.window.IsEnabled(IDC_CHECK_SAVE_RECORD));
    Tick(4);
    EXPECT_EQ("C:\\a.csv", mu.record.path);
    EXPECT_EQ(kBom + "时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n"
                  "2024-03-05T00:00:01.012,1,3.456,3.457,3.458,3.459,正常,1,0\r\n"
                  "2024-03-05T00:00:02.084,2,,,,,通讯故障,0,1\r\n"
                  "2024-03-05T00:00:02.096,3,0.003,0.004,0.005,0.006,正常,1,0\r\n"
                  "2024-03-05T00:00:02.108,1,3.456,3.457,3.458,3.459,正常,2,0\r\n",
              mu.record.bytes);
    mu.ClickAcquire();
    EXPECT_FALSE(mu.record.open);
    EXPECT_TRUE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD)) << "kept for the next cycle";
    EXPECT_TRUE(mu.window.IsEnabled(IDC_CHECK_SAVE_RECORD));
}

TEST_F(RecordTest, ACancelledOrUnwritableFileStartsTheCycleWithoutARecordAndUnchecksTheBox) {
    const std::string failed = "保存记录失败，记录已停止，采集继续：\n";
    struct Case {
        std::optional<std::string> answer;
        FileError createError;  // or, without one, the third append fails
        std::string message;
    };
    for (const Case& c : {Case{std::nullopt, {}, ""}, Case{"C:\\a.csv", {FileFailure::InUse, 32}, "文件被其他程序占用"},
                          Case{"Z:\\a.csv", {FileFailure::Other, 21}, "系统错误 21"}, Case{"C:\\a.csv", {}, "磁盘空间不足"}}) {
        mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
        mu.window.messages.clear();
        mu.shell.answers = {c.answer};
        mu.record = FakeOutputFile{};
        mu.record.createError = c.createError;
        mu.record.failingAppend = 2;  // the title and one poll, then a full disk
        Start("1", "3");
        Tick(3);
        EXPECT_EQ(c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{failed + c.message + "\n" + *c.answer},
                  mu.window.messages);
        EXPECT_EQ(c.createError || !c.answer ? 0 : 2, std::count(mu.record.bytes.begin(), mu.record.bytes.end(), '\n'));
        EXPECT_FALSE(mu.record.open);
        EXPECT_FALSE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD));
        EXPECT_EQ("停止", mu.window.texts[IDC_BTN_ACQUIRE]) << "the cycle goes on";
        mu.ClickAcquire();
    }
    EXPECT_EQ(12u, line.writes.size());
    Start();  // unchecked: no dialog
    EXPECT_EQ(4u, mu.shell.proposed.size());
}

TEST_F(RecordTest, AWindowThatGoesWhileTheDialogIsUpStartsNoTimer) {
    mu.shell.whileAsking = [this] { mu.dlg.OnClose(); };
    mu.ClickAcquire();
    EXPECT_FALSE(mu.window.timerRunning);
    EXPECT_FALSE(line.IsOpen());
}

TEST_F(RecordTest, ExcelWritesTheTableAsShownAndOpensItOrSaysWhyNot) {
    const std::string title = kBom + "设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    const std::string rows = "1,3.456,3.457,3.458,3.459,1,0\r\n2,通讯故障,——,——,——,0,1\r\n3,0.003,0.004,0.005,0.006,1,0\r\n";
    struct Case {
        std::string units;
        std::optional<std::string> answer;
        FileError createError;
        std::string bytes;
        std::string message;
    };
    for (const Case& c : {Case{"", "D:\\t.csv", {}, title, ""}, Case{"3", "D:\\t.csv", {}, title + rows, ""},
                          Case{"3", std::nullopt, {}, "", ""},
                          Case{"3", "E:\\t.csv", {FileFailure::FolderMissing, 3}, "", "导出失败：\n文件夹不存在\nE:\\t.csv"}}) {
        FakeMultiUnitWindow fresh{cycle, clock};
        fresh.shell.answers = {c.answer};
        fresh.table.createError = c.createError;
        if (!c.units.empty()) {
            fresh.window.texts[IDC_EDIT_DEVICE_COUNT] = c.units;
            fresh.ClickAcquire();
            for (int i = 0; i < 3; ++i) fresh.dlg.OnTimer();
            fresh.ClickAcquire();
        }
        fresh.dlg.OnCommand(IDC_BTN_EXCEL);
        EXPECT_EQ(0u, fresh.shell.proposed.at(0).rfind("多台采集表_20240305_00000", 0)) << fresh.shell.proposed[0];
        EXPECT_EQ(c.bytes, fresh.table.bytes);
        EXPECT_FALSE(fresh.table.open);
        EXPECT_EQ(c.bytes.empty() ? std::vector<std::string>{} : std::vector<std::string>{*c.answer}, fresh.shell.opened);
        EXPECT_EQ(c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message}, fresh.window.messages);
    }
}
