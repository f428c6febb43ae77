#include "download/download_selection.h"

bool isMatrixNewValid(const CalibrationSettings& settings)
{
    bool valid = false;
    return settings.getMatrixCurrentValid(valid) && valid;
}

bool isLinearityNewValid(const CalibrationSettings& settings)
{
    for (Channel channel : kAllChannels) {
        bool valid = false;
        if (!settings.getLinearityValid(channel, valid) || !valid)
            return false;
    }
    return true;
}

DownloadSelection::DownloadSelection(const CalibrationSettings& settings)
    : settings_(settings)
    , linearityNewValid_(isLinearityNewValid(settings))
{
}

void DownloadSelection::selectNode(std::string_view parentName, std::string_view nodeName, bool hasChildren)
{
    if (hasChildren) {
        downloadAllowed_ = false;
        primary_.defaultEnabled = primary_.newEnabled = false;
        linearity_.defaultEnabled = linearity_.newEnabled = false;
        return;
    }
    selectedDisplayType_ = parentName;
    selectedTable_ = nodeName;
    // The primary tool may have finished since the last selection.
    matrixNewValid_ = isMatrixNewValid(settings_);
    downloadAllowed_ = colorTables_ || calibrationValues_;
    primary_ = {true, true, matrixNewValid_, false};
    linearity_ = {true, true, linearityNewValid_, false};
}

void DownloadSelection::setColorTables(bool checked)
{
    colorTables_ = checked;
    checkBoxClicked(checked);
}

void DownloadSelection::setCalibrationValues(bool checked)
{
    calibrationValues_ = checked;
    checkBoxClicked(checked);
}

void DownloadSelection::checkBoxClicked(bool nowChecked)
{
    if (!colorTables_ && !calibrationValues_)
        downloadAllowed_ = false;
    else if (nowChecked && tableSetSelected())
        downloadAllowed_ = true;
}

void DownloadSelection::choosePrimaryNew(bool useNew)
{
    if (!(useNew ? primary_.newEnabled : primary_.defaultEnabled))
        return;
    primary_.newChecked = useNew;
    primary_.defaultChecked = !useNew;
}

void DownloadSelection::chooseLinearityNew(bool useNew)
{
    if (!(useNew ? linearity_.newEnabled : linearity_.defaultEnabled))
        return;
    linearity_.newChecked = useNew;
    linearity_.defaultChecked = !useNew;
}

void DownloadSelection::setRunActive(bool active)
{
    runActive_ = active;
}

DownloadChoice DownloadSelection::choice() const
{
    DownloadChoice choice;
    choice.displayType = selectedDisplayType_;
    choice.table = selectedTable_;
    choice.colorTables = colorTables_;
    choice.calibrationValues = calibrationValues_;
    choice.usePrimaryNew = !primary_.defaultChecked;
    choice.useLinearityNew = !linearity_.defaultChecked;
    return choice;
}
