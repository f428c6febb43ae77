#include "linearity/lut_file.h"

#include "config/number_text.h"

std::string formatLutFile(const CorrectionTable& table)
{
    std::string content;
    content.reserve(table.size() * 11);
    for (double value : table) {
        content += formatGeneral(value);
        content += "\r\n";
    }
    return content;
}
