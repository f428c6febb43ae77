#pragma once

// The state a download run shares between its reading and its flash phases.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

// The file names a run read, in the order the diagnostics file lists them; empty until read.
struct RecordedFileNames {
    std::string matrix;
    std::array<std::string, 6> colorTables;
    std::array<std::string, 14> osdImages; // in region order
    std::array<std::string, 3> firstLuts; // red, green, blue
    std::array<std::string, 3> secondLuts;
};

struct RunState {
    std::uint8_t packPhase = 0; // bit phase of the 10-bit packer, carried across 3D table files
    std::string errorText; // accumulated error texts, shown at the end of a failed run
    bool ok = true;
    bool usePrimaryNew = false;
    bool useLinearityNew = false;
    std::atomic<bool> stopRequested{false}; // set by the window's Cancel; checked between steps
    std::string displayType; // catalogue names of the chosen table set, taken when the run starts
    std::string table;
    RecordedFileNames fileNames;
};
