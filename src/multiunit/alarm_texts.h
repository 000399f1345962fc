#pragma once

// What the multi-unit window's alarms show and write: its two buttons, the
// settings dialog's refusals, the journal's titles and words, its files.
namespace AlarmText {
constexpr const char* kSettingsButton = "报警设置";
constexpr const char* kJournalButton = "报警记录";  // followed by "(n)" while raises wait

// The settings' fields, as the refusals name them.
constexpr const char* kChannels[] = {"电池1", "电池2", "电池3", "电池4"};
constexpr const char* kLow = "下限";
constexpr const char* kHigh = "上限";
constexpr const char* kSpread = "压差上限";
constexpr const char* kHysteresis = "回差";
constexpr const char* kOnDelay = "延时次数";
// Field name first.
constexpr const char* kVoltsRange = "应为0.000至655.350之间的数，最多三位小数!";
constexpr const char* kOnDelayRange = "应为1至100之间的整数!";
constexpr const char* kLowNotBelowHigh = "下限应小于上限!";
constexpr const char* kHysteresisTooWide = "回差应小于上下限之差!";  // channel first
constexpr const char* kHysteresisOverSpread = "回差应小于压差上限!";
// Followed by the fields, separated by "、"; shown once a run.
constexpr const char* kStoredIgnored = "报警设置中的无效值已忽略：";

// The journal's columns, and its words for a channel, a kind and an event.
constexpr const char* kJournalTitles[] = {"时间", "设备地址", "通道", "类型", "事件", "数值(V)", "限值(V)"};
constexpr const char* kUnitWide = "整机";
constexpr const char* kKinds[] = {"过高", "过低", "压差", "通讯故障"};  // in AlarmKind's order
constexpr const char* kRaised = "报警";
constexpr const char* kCleared = "恢复";

constexpr const char* kJournalFileStem = "报警记录";
constexpr const char* kEventsFileSuffix = "_报警";  // before the records file's ".csv"
constexpr const char* kEventsFailed = "保存报警记录失败，报警记录已停止，采集继续：";
}  // namespace AlarmText
