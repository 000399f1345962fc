#pragma once

// What the multi-unit window shows and writes: its button's two captions, its
// refusals, the mark of a value not read, and what its records and export say.
namespace MultiUnitText {
constexpr const char* kAcquire = "采集";
constexpr const char* kStop = "停止";
constexpr const char* kPeriodTooShort = "采集周期应不小于500ms!";
constexpr const char* kTooManyUnits = "设备数目应不大于16!";
constexpr const char* kCycleRunsElsewhere = "已有窗口正在采集!";
constexpr const char* kPortFailed = "打开串口失败，串口不存在或者被占用!!!";
constexpr const char* kNoValue = "——";

constexpr const char* kRecordFileStem = "多台采集";
constexpr const char* kExportFileStem = "多台采集表";
// Followed by the reason and the file's path, one a line.
constexpr const char* kRecordFailed = "保存记录失败，记录已停止，采集继续：";
constexpr const char* kExportFailed = "导出失败：";
constexpr const char* kFolderMissing = "文件夹不存在";
constexpr const char* kDiskFull = "磁盘空间不足";
constexpr const char* kFileInUse = "文件被其他程序占用";
constexpr const char* kAccessDenied = "没有写入权限";
constexpr const char* kSystemError = "系统错误 ";  // followed by the system's number
}  // namespace MultiUnitText
