#include "primary/calibration_report.h"

#include "config/number_text.h"

namespace {

void appendMatrix(std::string& text, const char* heading, const Matrix3& matrix)
{
    text += heading;
    text += " \r\n";
    for (const auto& row : matrix) {
        for (std::size_t column = 0; column < 3; ++column) {
            text += formatFixed(row[column], 0, 6);
            text += ' ';
        }
        text += "\r\n";
    }
}

} // namespace

std::string calibrationReportText(const CalibrationMatrices& matrices)
{
    std::string text;
    appendMatrix(text, "D65 Download Matrix", matrices.d65);
    appendMatrix(text, "Native Download Matrix", matrices.native);
    return text;
}
