#pragma once
#include <array>
#include <cstdint>

#include "calibration_points.h"
#include "resource.h"
#include "setting_limits.h"

// The buttons that make sense only with the port open, in the order the
// connection switches them.
constexpr std::array<int, 17> kPortDependentButtons = {
    IDC_BTN_SET_BAUD,      IDC_BTN_FACTORY_MODE, IDC_BTN_SET_ADDRESS,         IDC_BTN_READ_VOLTAGE,
    IDC_BTN_CONTINUOUS,    IDC_BTN_RESET,        IDC_BTN_SET_SAMPLE_INTERVAL, IDC_BTN_READ_INFO,
    IDC_BTN_CLEAR_LOG,     IDC_BTN_CAL_3V_0V5,   IDC_BTN_CAL_3V_3V,           IDC_BTN_CAL_20V_3V,
    IDC_BTN_CAL_20V_20V,   IDC_BTN_CAL_200V_20V, IDC_BTN_CAL_200V_200V,       IDC_BTN_CAL_600V_200V,
    IDC_BTN_CAL_600V_600V,
};

// What continuous acquisition locks while it runs, in the order it locks
// them: everything that would talk to the line or take the port away,
// except the toggle that stops it.
constexpr std::array<int, 17> kLockedDuringAcquisition = {
    IDC_BTN_SET_BAUD,      IDC_BTN_FACTORY_MODE,        IDC_BTN_SET_ADDRESS,   IDC_BTN_READ_VOLTAGE,
    IDC_BTN_RESET,         IDC_BTN_SET_SAMPLE_INTERVAL, IDC_BTN_MULTI,         IDC_BTN_READ_INFO,
    IDC_BTN_CLEAR_LOG,     IDC_BTN_CAL_3V_0V5,          IDC_BTN_CAL_3V_3V,     IDC_BTN_CAL_20V_3V,
    IDC_BTN_CAL_20V_20V,   IDC_BTN_CAL_200V_20V,        IDC_BTN_CAL_200V_200V, IDC_BTN_CAL_600V_200V,
    IDC_BTN_CAL_600V_600V,
};

// The calibration buttons, top to bottom in the factory column: the i-th
// calibrates kCalibrationPoints[i].
constexpr std::array<int, kCalibrationPoints.size()> kCalibrationButtons = {
    IDC_BTN_CAL_3V_0V5,   IDC_BTN_CAL_3V_3V,     IDC_BTN_CAL_20V_3V,    IDC_BTN_CAL_20V_20V,
    IDC_BTN_CAL_200V_20V, IDC_BTN_CAL_200V_200V, IDC_BTN_CAL_600V_200V, IDC_BTN_CAL_600V_600V,
};

// Captions that carry the console's modes: the handlers decide by them.
namespace Caption {
constexpr const char* kOpenPort = "打开串口";
constexpr const char* kClosePort = "关闭串口";
constexpr const char* kStartAcquisition = "连续采集";
constexpr const char* kStopAcquisition = "停止采集";
constexpr const char* kFactoryMode = "厂家模式";
constexpr const char* kUserMode = "用户模式";
}  // namespace Caption

// What the operator is told.
namespace Message {
constexpr const char* kSelectBaudRate = "请选择波特率";
constexpr const char* kSetInterval = "请设置采集时间";
constexpr const char* kIntervalTooShort = "连续采集间隔时间不小于 300 ms,请核对输入。";
constexpr const char* kTimeout = "通讯超时!";
constexpr const char* kCrcError = "数据验证错误!";
constexpr const char* kAddressRange = "设备地址取值范围0－15，请重新输入";
constexpr const char* kSampleIntervalRange = "电压采集间隔设置取值 1~250";
constexpr const char* kSelectDeviceBaud = "请选择设置波特率";
constexpr const char* kSettingFailed = "设置失败";
constexpr const char* kSettingDone = "设置成功";
constexpr const char* kReopenFailed = "重新打开串口失败!";
constexpr const char* kPasswordAccepted = "操作成功!";
constexpr const char* kWrongPassword = "密码错误!";
constexpr const char* kSelectCalibrationChannel = "请选择校准 通道号 ";
constexpr const char* kCalibrationDone = "校准成功";
constexpr const char* kCalibrationFailed = "校准失败";
}  // namespace Message
