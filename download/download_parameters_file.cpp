#include "download/download_parameters_file.h"

#include "config/atomic_file.h"

namespace {

void addLine(std::string& text, const char* label, const std::string& name)
{
    if (!name.empty())
        text.append(label).append(name).append("\r\n");
}

} // namespace

std::string downloadParametersText(const RecordedFileNames& names)
{
    std::string text;
    addLine(text, "Matrix filename=", names.matrix);
    for (const std::string& name : names.colorTables)
        addLine(text, "Chromix 3D Color Table filename=", name);
    for (const std::string& name : names.osdImages)
        addLine(text, "OSD Image filename=", name);
    for (const std::string& name : names.firstLuts)
        addLine(text, "First 1D LUT filename=", name);
    for (const std::string& name : names.secondLuts)
        addLine(text, "Second 1D LUT filename=", name);
    return text;
}

void writeDownloadParametersFile(const CalibrationSettings& settings, const RecordedFileNames& names)
{
    std::string path;
    if (settings.getDownloadParametersPath(path))
        // A record for the service engineer: the flash already holds the download, so a
        // record that cannot be written does not fail it.
        static_cast<void>(replaceFileAtomically(path, downloadParametersText(names)));
}
