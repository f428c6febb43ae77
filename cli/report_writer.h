#pragma once

// Writes the HTML report of a linearity (or verification) or primary data file; shared by
// chromix report and the end of chromix measure. Says what it wrote on `out`, and why
// not on `err`.

#include <iosfwd>
#include <string>

bool writeReport(bool linearity, const std::string& dataFile, const std::string& output, double targetGamma,
                 std::ostream& out, std::ostream& err);
