#pragma once
#include <windows.h>

#include <optional>

#include "alarm_limits.h"

// The "报警设置" dialog, modal, owned by `owner`, showing `limits`: the limits
// confirmed with "确定", none when it was closed any other way. A field that
// breaks a rule is refused with a message box and gets the focus back.
std::optional<AlarmLimits> RunAlarmSettingsDialog(HWND owner, const AlarmLimits& limits);
