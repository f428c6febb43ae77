#include "download/download_file_names.h"

#include "config/number_text.h"

bool colorTableFileName(const DisplayTypeCatalogue& catalogue, const std::string& displayType, const std::string& table,
                        int k, std::string& out)
{
    out.clear();
    return catalogue.readTableFileName(displayType, table, formatInteger(k), out);
}

bool osdImageFileName(const DisplayTypeCatalogue& catalogue, const std::string& displayType, const std::string& table,
                      int i, std::string& out)
{
    out.clear();
    constexpr int kImagesPerSpace = 6;
    const bool native = i < kImagesPerSpace || i == 2 * kImagesPerSpace;
    const int number = i < 2 * kImagesPerSpace ? i % kImagesPerSpace + 1 : kImagesPerSpace + 1;
    const std::string numberText = formatInteger(number);
    return native ? catalogue.readOsdNativeFileName(displayType, table, numberText, out)
                  : catalogue.readOsdD65FileName(displayType, table, numberText, out);
}

bool firstLutFileName(const CalibrationSettings& settings, Channel channel, std::string& out)
{
    return settings.getFirstLutDefault(channel, out);
}

bool matrixFileName(const CalibrationSettings& settings, bool usePrimaryNew, std::string& out)
{
    return usePrimaryNew ? settings.getMatrixCurrent(out) : settings.getMatrixDefault(out);
}

bool secondLutFileName(const CalibrationSettings& settings, Channel channel, bool useLinearityNew, std::string& out)
{
    return useLinearityNew ? settings.getSecondLutCurrent(channel, out) : settings.getSecondLutDefault(channel, out);
}
