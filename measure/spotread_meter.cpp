#include "measure/spotread_meter.h"

#include "config/number_text.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

constexpr const char* kCalibrationNotDone = "The meter's calibration was not done; the measurement stops.";

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// Reads the numbers after `label` in `line`.
bool numbersAfter(const std::string& line, const char* label, double* values, int count)
{
    std::size_t at = line.find(label);
    if (at == std::string::npos)
        return false;
    at += std::string_view(label).size();
    for (int i = 0; i < count; ++i) {
        while (at < line.size() && (line[at] == ',' || line[at] == ' '))
            ++at;
        std::size_t used = 0;
        if (!parseLeadingDouble(std::string_view(line).substr(at), values[i], &used))
            return false;
        at += used;
    }
    return true;
}

std::string seconds(std::int64_t milliseconds)
{
    return formatGeneral(static_cast<double>(milliseconds) / 1000.0) + " s";
}

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::optional<SpotreadMeter::Event> SpotreadMeter::lineEvent(const std::string& line)
{
    MeterReading reading;
    if (parseSpotreadResult(line, reading))
        return Event::Result;
    const std::string l = lower(line);
    if (contains(l, "no instrument") || contains(l, "not found") || contains(l, "no ports found"))
        return Event::NoInstrument;
    if (contains(l, "failed") || contains(l, "error"))
        return Event::Failure;
    return std::nullopt;
}

bool parseSpotreadResult(const std::string& line, MeterReading& reading)
{
    double xyz[3];
    if (!numbersAfter(line, "Result is XYZ:", xyz, 3))
        return false;
    reading = readingFromXyz(xyz[0], xyz[1], xyz[2]);
    double yxy[3];
    if (numbersAfter(line, "Yxy:", yxy, 3)) {
        reading.x = yxy[1];
        reading.y = yxy[2];
    }
    return true;
}

SpotreadMeter::SpotreadMeter(std::unique_ptr<ChildProcess> child, SpotreadSettings settings,
                             CalibrationPrompt calibration)
    : child_(std::move(child))
    , settings_(std::move(settings))
    , calibration_(std::move(calibration))
{
}

SpotreadMeter::~SpotreadMeter()
{
    close();
}

std::string SpotreadMeter::lastLine() const
{
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
        if (it->find_first_not_of(" \t") != std::string::npos)
            return it->substr(it->find_first_not_of(" \t"));
    }
    return {};
}

SpotreadMeter::Event SpotreadMeter::next(std::int64_t milliseconds, std::string& detail)
{
    const std::int64_t deadline = nowMilliseconds() + milliseconds;
    std::string prompt; // the lines since the last event, for a prompt's full text
    for (;;) {
        // Whole lines first; prompts end without a line feed, so the unfinished tail is checked too.
        std::size_t end;
        while ((end = pending_.find_first_of("\r\n")) != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (line.empty())
                continue;
            lines_.push_back(line);
            const std::optional<Event> event = lineEvent(line);
            if (event) {
                detail = line;
                return *event;
            }
            prompt += line + "\n";
        }
        const std::string tail = lower(pending_);
        if (contains(tail, "any other key to take a reading")) {
            pending_.clear();
            return Event::Ready;
        }
        // A calibration prompt spans lines; it waits for its key once its last line ends in ":".
        const std::size_t last = pending_.find_last_not_of(' ');
        const bool waiting = last != std::string::npos && pending_[last] == ':';
        if (waiting && contains(lower(prompt + pending_), "any key to continue")) {
            detail = prompt + pending_;
            pending_.clear();
            return Event::Calibration;
        }
        if (settings_.cancelled && settings_.cancelled())
            return Event::Cancelled;
        const std::int64_t left = deadline - nowMilliseconds();
        if (left <= 0)
            return Event::TimedOut;
        bool ended = false;
        pending_ += child_->receive(std::min<std::int64_t>(left, 200), ended);
        if (ended && pending_.find_first_of("\r\n") == std::string::npos) {
            if (!pending_.empty())
                lines_.push_back(pending_);
            pending_.clear();
            // Lines already queued are handled before the end is reported.
            detail = lastLine();
            return Event::Ended;
        }
    }
}

bool SpotreadMeter::handleCalibration(const std::string& instruction)
{
    if (!calibration_ || !calibration_(instruction)) {
        child_->send("q");
        return false;
    }
    child_->send(" ");
    return true;
}

Result<> SpotreadMeter::open()
{
    if (running_)
        return {};
    if (const Result<> started = child_->start({settings_.program, "-e", "-x"}); !started)
        return Failure{"The colour meter program could not be started: " + started.failure().reason
                           + " (ArgyllCMS spotread; on Debian: apt-get install argyll)",
                       {}};
    running_ = true;
    for (;;) {
        std::string detail;
        std::string failure;
        switch (next(settings_.startMilliseconds, detail)) {
        case Event::Ready:
            return {};
        case Event::Calibration:
            if (handleCalibration(detail))
                continue;
            failure = kCalibrationNotDone;
            break;
        case Event::NoInstrument:
            failure = std::string(kSpotreadNoInstrument) + " Connect it and try again. (spotread: " + detail + ")";
            break;
        case Event::TimedOut:
            failure = "The colour meter did not get ready within " + seconds(settings_.startMilliseconds) + ".";
            break;
        case Event::Cancelled:
            failure = kSpotreadCancelled;
            break;
        case Event::Failure:
        case Event::Ended:
        case Event::Result:
            failure = "The colour meter program stopped before the meter was ready"
                + (detail.empty() ? std::string(".") : " (spotread: " + detail + ").");
            break;
        }
        close();
        return Failure{failure, {}};
    }
}

Result<MeterReading> SpotreadMeter::read()
{
    if (!running_)
        return Failure{"the colour meter is not open", {}};
    // One key, one result, then the prompt for the next key: the reading is returned once
    // that prompt has come, so that no later key is taken by a prompt already answered.
    child_->send(" ");
    std::optional<MeterReading> reading;
    bool calibrated = false;
    std::string failure;
    for (;;) {
        std::string detail;
        switch (next(settings_.readingMilliseconds, detail)) {
        case Event::Result:
            if (MeterReading parsed; parseSpotreadResult(detail, parsed))
                reading = parsed;
            continue;
        case Event::Ready:
            if (!reading && calibrated) {
                // The key went to the calibration; this prompt waits for the reading's.
                calibrated = false;
                child_->send(" ");
                continue;
            }
            if (!reading)
                return Failure{"the colour meter could not read"
                                   + (failure.empty() ? std::string() : " (spotread: " + failure + ")"),
                               {}};
            return *reading;
        case Event::Calibration:
            if (handleCalibration(detail)) {
                calibrated = true;
                continue;
            }
            close();
            return Failure{kCalibrationNotDone, {}};
        case Event::Failure:
            // spotread says why and prompts again; the prompt ends this reading.
            failure = detail;
            continue;
        case Event::TimedOut:
            close();
            return Failure{"the colour meter did not answer within " + seconds(settings_.readingMilliseconds), {}};
        case Event::Cancelled:
            close();
            return Failure{kSpotreadCancelled, {}};
        case Event::NoInstrument:
        case Event::Ended:
            close();
            return Failure{"the colour meter program stopped"
                               + (detail.empty() ? std::string() : " (spotread: " + detail + ")"),
                           {}};
        }
    }
}

void SpotreadMeter::close()
{
    if (!running_)
        return;
    running_ = false;
    child_->send("q");
    child_->finish(settings_.exitMilliseconds);
}
