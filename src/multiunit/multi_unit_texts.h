#pragma once

// What the multi-unit window shows: its button's two captions, its
// refusals and the marks of a failed poll.
namespace MultiUnitText {
constexpr const char* kAcquire = "采集";
constexpr const char* kStop = "停止";
constexpr const char* kPeriodTooShort = "采集周期应不小于500ms!";
constexpr const char* kTooManyUnits = "设备数目应不大于16!";
constexpr const char* kCycleRunsElsewhere = "已有窗口正在采集!";
constexpr const char* kPortFailed = "打开串口失败，串口不存在或者被占用!!!";
constexpr const char* kCommFault = "通讯故障";
constexpr const char* kNoValue = "——";
}  // namespace MultiUnitText
