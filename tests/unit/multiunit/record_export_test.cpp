#include "multi_unit_fixture.h"
#include "poll_record.h"

using Strings = std::vector<std::string>;

TEST(PollRecordTest, FieldsWithCommasQuotesOrLineBreaksAreQuotedWithTheirQuotesDoubled) {
    EXPECT_EQ("1,,电池,\"a,b\",\"say \"\"hi\"\"\",\"x\ry\",\"x\ny\"\r\n",
              CsvLine({"1", "", "电池", "a,b", "say \"hi\"", "x\ry", "x\ny"}));
}

// Unit 2 is silent throughout.
TEST_F(MultiUnitTest, ARecordGetsEveryPollByteForByteUntilItsFileFailsOrItsDialogIsCancelled) {
    replies[1] = RegistersReply(1, {3456, 3457, 3458, 3459});
    replies[2] = {};
    mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
    mu.shell.answers = {std::string("C:\\a.csv"), std::nullopt, std::string("D:\\b.csv")};
    Start("1", "3");
    EXPECT_FALSE(mu.window.IsEnabled(IDC_CHECK_SAVE_RECORD));
    Tick(4);
    EXPECT_EQ("C:\\a.csv", mu.record.path);
    EXPECT_EQ(
        "\xEF\xBB\xBF时间,设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),结果,成功次数,失败次数\r\n"
        "2024-03-05T00:00:01.012,1,3.456,3.457,3.458,3.459,正常,1,0\r\n"
        "2024-03-05T00:00:02.084,2,,,,,通讯故障,0,1\r\n"
        "2024-03-05T00:00:02.096,3,0.003,0.004,0.005,0.006,正常,1,0\r\n"
        "2024-03-05T00:00:02.108,1,3.456,3.457,3.458,3.459,正常,2,0\r\n",
        mu.record.bytes);
    EXPECT_EQ(mu.record.bytes.size(), mu.record.flushed);
    mu.ClickAcquire();
    EXPECT_FALSE(mu.record.open);
    EXPECT_TRUE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD)) << "kept for the next cycle";

    for (int failingAppend : {-1, 2}) {  // cancelled; then the title and one poll, and the disk is full
        mu.record.failingAppend = failingAppend;
        mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
        Start("1", "3");
        Tick(3);
        EXPECT_FALSE(mu.window.IsChecked(IDC_CHECK_SAVE_RECORD));
        EXPECT_FALSE(mu.record.open);
        mu.ClickAcquire();
    }
    EXPECT_EQ(2, std::count(mu.record.bytes.begin(), mu.record.bytes.end(), '\n')) << "the lines before the failure";
    EXPECT_EQ(Strings{"保存记录失败，记录已停止，采集继续：\n磁盘空间不足\nD:\\b.csv"}, mu.window.messages);
    EXPECT_EQ(10u, line.writes.size()) << "every cycle polled on";
    EXPECT_EQ("多台采集_20240305_000001.csv", mu.shell.proposed.at(0));
    Start();
    EXPECT_EQ(3u, mu.shell.proposed.size()) << "no dialog with the box unchecked";
}

TEST_F(MultiUnitTest, ExcelWritesTheTableAsShownAndOpensItOrSaysWhyNot) {
    replies[2] = {};
    const std::string title =
        "\xEF\xBB\xBF设备地址,电池1电压(V),电池2电压(V),电池3电压(V),电池4电压(V),成功次数,失败次数\r\n";
    mu.shell.answers = {std::string("C:\\empty.csv"), std::string("C:\\t.csv"), std::string("E:\\t.csv")};
    mu.dlg.OnCommand(IDC_BTN_EXCEL);
    EXPECT_EQ(title, mu.table.bytes);
    Start("1", "3");
    Tick(3);
    mu.ClickAcquire();
    mu.dlg.OnCommand(IDC_BTN_EXCEL);
    EXPECT_EQ(title + "1,0.001,0.002,0.003,0.004,1,0\r\n2,通讯故障,——,——,——,0,1\r\n3,0.003,0.004,0.005,0.006,1,0\r\n",
              mu.table.bytes);
    EXPECT_FALSE(mu.table.open);
    EXPECT_EQ((Strings{"C:\\empty.csv", "C:\\t.csv"}), mu.shell.opened);

    mu.table.createError = {FileFailure::FolderMissing, 3};
    mu.dlg.OnCommand(IDC_BTN_EXCEL);
    EXPECT_EQ(Strings{"导出失败：\n文件夹不存在\nE:\\t.csv"}, mu.window.messages);
    EXPECT_EQ(2u, mu.shell.opened.size()) << "nothing opened after a failure";
    EXPECT_EQ("多台采集表_20240305_000001.csv", mu.shell.proposed.at(0));
}
