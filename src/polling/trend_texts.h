#pragma once

// What the trend window shows and says.
namespace TrendText {
constexpr const char* kAddress = "地址";
constexpr const char* kChannelNames[] = {"电池1", "电池2", "电池3", "电池4"};
constexpr const char* kMarker = "标记";
constexpr const char* kNewest = "最新 ";        // followed by the newest poll's time
constexpr const char* kDifference = "时间差 ";  // followed by the time between the markers
constexpr const char* kNoValue = "——";
// After a channel's name on its limit lines.
constexpr const char* kLowLimit = "下限";
constexpr const char* kHighLimit = "上限";
// Followed by the number of lines skipped and the first one's line number.
constexpr const char* kSkippedLines = "记录中有无法识别的行，已跳过。行数：";
constexpr const char* kFirstSkippedLine = "，首行：";
constexpr const char* kNoPolls = "记录中没有采集数据：";  // followed by the path
constexpr const char* kOpenFailed = "打开记录失败：";     // followed by the reason and the path
constexpr const char* kImageFailed = "保存图像失败：";    // followed by the path
constexpr const char* kImageFileStem = "趋势";
}  // namespace TrendText
