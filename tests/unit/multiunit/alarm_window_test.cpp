#include "alarm_entries.h"
#include "alarm_journal_dlg.h"
#include "multi_unit_fixture.h"

namespace {

const CellColours kRed{0xFFFFFF, 0x0000DC};
const CellColours kBlue{0xFFFFFF, 0xDC4600};

LimitEntries Entries(const std::string& low1, const std::string& high1, const std::string& hysteresis = "0.010",
                     const std::string& onDelay = "1", const std::string& spread = "") {
    LimitEntries entries = EntriesFromLimits(AlarmLimits{});
    entries.low[0] = low1;
    entries.high[0] = high1;
    entries.hysteresis = hysteresis;
    entries.onDelay = onDelay;
    entries.spread = spread;
    return entries;
}

}  // namespace

TEST(AlarmEntriesTest, TheDialogRefusesABadFieldByNameAndKeptValuesFallBackOneByOne) {
    const struct {
        LimitEntries entries;
        const char* refusal;
    } cases[] = {
        {Entries("3.0", "3.5"), ""},
        {Entries("abc", ""), "电池1下限应为0.000至655.350之间的数，最多三位小数!"},
        {Entries("", "700"), "电池1上限应为0.000至655.350之间的数，最多三位小数!"},
        {Entries("3.5", "3.5"), "电池1下限应小于上限!"},
        {Entries("3.5", "3.51", "0.010"), "电池1回差应小于上下限之差!"},
        {Entries("", "", ""), "回差应为0.000至655.350之间的数，最多三位小数!"},
        {Entries("", "", "0.010", "0"), "延时次数应为1至100之间的整数!"},
        {Entries("", "", "0.010", "2x"), "延时次数应为1至100之间的整数!"},
        {Entries("", "", "0.050", "1", "0.050"), "回差应小于压差上限!"},
    };
    for (const auto& c : cases) {
        const ReadLimits read = LimitsFromEntries(c.entries);
        EXPECT_EQ(c.refusal, read.refusal);
        EXPECT_EQ(read.refusal.empty(), read.limits.has_value()) << c.refusal;
    }

    LimitEntries kept = Entries("3.5", "3.0", "?", "1", "0.005");
    kept.high[2] = "4.000";
    const StoredLimits stored = LimitsFromStored(kept);
    EXPECT_EQ((std::vector<std::string>{"回差", "电池1下限", "压差上限"}), stored.ignored);
    EXPECT_EQ(std::nullopt, stored.limits.lowMv[0]);
    EXPECT_EQ(3000, stored.limits.highMv[0]);
    EXPECT_EQ(4000, stored.limits.highMv[2]);
    EXPECT_EQ(kDefaultHysteresisMv, stored.limits.hysteresisMv);
}

// Unit 1 walks across 电池1's high limit and back, then below its low
// limit; unit 2 is silent. The record is ticked, so the events go beside it.
TEST_F(MultiUnitTest, APollBeyondALimitColoursItsCellJournalsTheEventAndWritesItBesideTheRecord) {
    mu.limitStore.kept = Entries("3.000", "3.500");
    mu.dlg.OnInitDialog();
    EXPECT_EQ("报警记录", mu.window.texts[IDC_BTN_ALARM_JOURNAL]);
    mu.window.checked[IDC_CHECK_SAVE_RECORD] = true;
    mu.shell.answers = {std::string("D:\\line3\\run.csv")};
    replies[2] = {};
    Start("1", "2");

    const struct {
        uint16_t volts1;
        std::optional<CellColours> colours;
        const char* caption;
        int alerts;
    } steps[] = {
        {3500, std::nullopt, "报警记录", 0},    {3501, kRed, "报警记录(1)", 1},  {3491, kRed, "报警记录(2)", 2},
        {3490, std::nullopt, "报警记录(2)", 2}, {2999, kBlue, "报警记录(3)", 3},
    };
    for (const auto& step : steps) {
        replies[1] = RegistersReply(1, {step.volts1, 3000, 3000, 3000});
        Tick(2);  // unit 1, then silent unit 2
        const auto& colours = mu.lists[kBat1].cellColours;
        const auto found = colours.find({0, 1});
        EXPECT_EQ(step.colours, found == colours.end() ? std::nullopt : std::optional<CellColours>(found->second))
            << step.volts1;
        EXPECT_EQ(step.caption, mu.window.texts[IDC_BTN_ALARM_JOURNAL]) << step.volts1;
        EXPECT_EQ(step.alerts, mu.alarmWindows.alerts) << step.volts1;
    }
    EXPECT_EQ(0u, mu.lists[kBat2].cellColours.size()) << "other channels have no limits";
    EXPECT_EQ(1u, mu.lists[kBat1].cellColours.count({1, 0})) << "unit 2's communication alarm is on its address";

    mu.dlg.AcknowledgeAlarms();
    EXPECT_EQ("报警记录", mu.window.texts[IDC_BTN_ALARM_JOURNAL]);
    EXPECT_EQ("D:\\line3\\run_报警.csv", mu.events.path);
    EXPECT_EQ(
        "\xEF\xBB\xBF时间,设备地址,通道,类型,事件,数值(V),限值(V)\r\n"
        "2024-03-05T00:00:02.096,1,电池1,过高,报警,3.501,3.500\r\n"
        "2024-03-05T00:00:04.252,2,整机,通讯故障,报警,,\r\n"
        "2024-03-05T00:00:04.264,1,电池1,过高,恢复,3.490,3.500\r\n"
        "2024-03-05T00:00:05.348,1,电池1,过低,报警,2.999,3.000\r\n",
        mu.events.bytes);
    EXPECT_EQ(mu.events.bytes.size(), mu.events.flushed);
    ASSERT_EQ(4u, mu.dlg.Journal().Events().size());
    EXPECT_EQ(AlarmKind::Low, mu.dlg.Journal().Events().front().kind) << "newest first";
    mu.ClickAcquire();
    EXPECT_FALSE(mu.events.open);
}

TEST_F(MultiUnitTest, NewLimitsAreKeptAndABadKeptValueIsSaidOnce) {
    mu.alarmWindows.confirm.reset();
    mu.dlg.OnCommand(IDC_BTN_ALARM_SETTINGS);
    EXPECT_EQ(EntriesFromLimits(AlarmLimits{}).high, mu.limitStore.kept.high) << "cancelled";

    AlarmLimits limits;
    limits.highMv[3] = 12000;
    mu.alarmWindows.confirm = limits;
    mu.dlg.OnCommand(IDC_BTN_ALARM_SETTINGS);
    EXPECT_EQ("12.000", mu.limitStore.kept.high[3]);
    ASSERT_EQ(2u, mu.alarmWindows.shown.size());

    mu.limitStore.kept.onDelay = "many";
    mu.dlg.OnInitDialog();
    mu.dlg.OnInitDialog();  // as a second window would
    EXPECT_EQ(std::vector<std::string>{"报警设置中的无效值已忽略：延时次数"}, mu.window.messages);
    mu.dlg.OnCommand(IDC_BTN_ALARM_SETTINGS);
    EXPECT_EQ(12000, mu.alarmWindows.shown.back().highMv[3]) << "the good values were taken";
}

// The export and the acknowledge are proven end to end.
TEST(AlarmJournalDlgTest, EventsAddedWhileTheWindowIsOpenGoOnTopNewestFirst) {
    AlarmJournal journal;
    AlarmEvent event;
    event.address = 3;
    event.valueMv = 3501;
    event.limitMv = 3500;
    journal.Add({event});
    FakeDialogWindow window;
    FakeListView list;
    VirtualClock clock{0};
    FakeLocalClock localClock{clock};
    FakeFileShell shell;
    FakeOutputFile file;
    CAlarmJournalDlg dlg(
        window, list, journal, [] {}, localClock, shell, file);
    dlg.OnInitDialog();
    event.raised = false;
    event.channel = 2;
    journal.Add({event, event});
    dlg.OnJournalGrew(2);
    ASSERT_EQ(3u, list.rows.size());
    EXPECT_EQ((std::vector<std::string>{"0000-00-00T00:00:00.000", "3", "电池3", "过高", "恢复", "3.501", "3.500"}),
              list.rows[0]);
    EXPECT_EQ("电池1", list.Cell(2, 2));
}
