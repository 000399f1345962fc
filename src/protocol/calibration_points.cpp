#include "calibration_points.h"

uint8_t CalibrationPointCode(const std::string& name) {
    for (const CalibrationPoint& point : kCalibrationPoints) {
        if (name == point.name) return point.code;
    }
    return 0;
}
