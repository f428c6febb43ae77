#pragma once

// A colour meter read through ArgyllCMS spotread, run as a child in emissive mode with
// Yxy results ("spotread -e -x"). Each reading is a key press answered by a line
// "Result is XYZ: X Y Z, Yxy: Y x y"; calibration prompts go to the operator.

#include "measure/child_process.h"
#include "measure/colour_meter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SpotreadSettings {
    std::string program = "spotread";
    // Before the meter is ready (instrument search, warm-up), and for one reading: low
    // light takes a colorimeter many seconds.
    std::int64_t startMilliseconds = 60000;
    std::int64_t readingMilliseconds = 30000;
    std::int64_t exitMilliseconds = 3000;
    // Asked while waiting for the meter; true ends the wait, as when the operator cancels
    // a run (the meter may take a minute to get ready).
    std::function<bool()> cancelled;
};

inline constexpr const char* kSpotreadCancelled = "the colour meter was stopped";

// Asked when spotread wants the instrument calibrated; receives spotread's instruction and
// returns true once the operator has done it, false to give up.
using CalibrationPrompt = std::function<bool(const std::string& instruction)>;

inline constexpr const char* kSpotreadNoInstrument = "No colour meter was found.";

class SpotreadMeter : public ColourMeter {
public:
    SpotreadMeter(std::unique_ptr<ChildProcess> child, SpotreadSettings settings, CalibrationPrompt calibration);
    ~SpotreadMeter() override;

    Result<> open() override;
    Result<MeterReading> read() override;
    void close() override;

private:
    enum class Event { Ready, Result, Calibration, NoInstrument, Failure, Ended, TimedOut, Cancelled };
    // Reads until the next event that matters; `detail` holds its text.
    Event next(std::int64_t milliseconds, std::string& detail);
    // What a whole line of spotread's output means, if anything by itself.
    static std::optional<Event> lineEvent(const std::string& line);
    // Asks the operator to do what spotread asks; false (and spotread told to stop) when
    // the operator declines.
    bool handleCalibration(const std::string& instruction);
    std::string lastLine() const;

    std::unique_ptr<ChildProcess> child_;
    SpotreadSettings settings_;
    CalibrationPrompt calibration_;
    std::string pending_;
    std::vector<std::string> lines_;
    bool running_ = false;
};

// "Result is XYZ: X Y Z, Yxy: Y x y" (and the Lab form without x, y) to a reading.
bool parseSpotreadResult(const std::string& line, MeterReading& reading);
