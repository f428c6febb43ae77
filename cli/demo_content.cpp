#include "cli/demo_content.h"

#include "config/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr const char* kLineEnd = "\r\n";

// Appends a number with up to five decimals, as short as it can be written exactly.
void appendShort(std::string& out, double value)
{
    char buffer[32];
    const double rounded = std::round(value * 100000.0) / 100000.0;
    auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded);
    out.append(buffer, result.ptr);
}

double clampUnit(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

} // namespace

std::string lutFileText(int count, double exponent)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 12);
    for (int i = 0; i < count; ++i) {
        text += formatGeneral(std::pow(static_cast<double>(i) / (count - 1), exponent));
        text += kLineEnd;
    }
    return text;
}

std::string identityMatrixFileText()
{
    std::string text;
    for (int matrix = 0; matrix < 2; ++matrix)
        text += "1 0 0\r\n0 1 0\r\n0 0 1\r\n";
    return text;
}

std::string colorTableFileText(int size, int variant)
{
    // Each variant desaturates by its own amount and lifts one channel a little, the kind
    // of gentle gamut mapping a projector's colour modes apply.
    const double saturation = 1.0 - 0.04 * variant;
    const int lifted = variant % 3;
    std::string text;
    const auto edge = static_cast<std::size_t>(size);
    text.reserve(edge * edge * edge * 48);
    const double step = 1.0 / (size - 1);
    for (int r = 0; r < size; ++r) {
        for (int g = 0; g < size; ++g) {
            for (int b = 0; b < size; ++b) {
                const double in[3] = {r * step, g * step, b * step};
                const double luma = 0.2126 * in[0] + 0.7152 * in[1] + 0.0722 * in[2];
                for (double v : in) {
                    appendShort(text, v);
                    text += ' ';
                }
                for (int c = 0; c < 3; ++c) {
                    double out = luma + (in[c] - luma) * saturation;
                    if (c == lifted)
                        out *= 1.0 + 0.01 * variant * (1.0 - in[c]);
                    appendShort(text, clampUnit(out));
                    text += c < 2 ? " " : kLineEnd;
                }
            }
        }
    }
    return text;
}

std::vector<std::uint8_t> osdImageBytes(std::size_t size, int variant)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * static_cast<std::size_t>(2 * variant + 1) + i / 100) & 0xFF);
    return bytes;
}

std::vector<int> demoStepCodes()
{
    std::vector<int> codes;
    for (int i = 0; i <= 20; ++i)
        codes.push_back(static_cast<int>(12.75 * i + 0.5));
    return codes;
}

std::string linearitySampleText(const std::vector<int>& stepCodes)
{
    // Luminance in cd/m2 of full red, green and blue, and of the black step.
    const double peak[3] = {21.3, 71.6, 7.25};
    const double black[3] = {0.05, 0.11, 0.03};
    const double compressedFull = 0.8 + 0.2 * 0.55;
    std::string text = "[DATA]\r\n";
    int step = 1;
    for (int code : stepCodes) {
        const double drive = code / 255.0;
        double relative = std::pow(drive, 2.4);
        // Highlights compress above 80 % of full output.
        if (relative > 0.8)
            relative = 0.8 + (relative - 0.8) * 0.55;
        text += "MEASURED_DATA_" + formatInteger(step) + "=";
        for (int c = 0; c < 3; ++c) {
            // A little meter noise, the same on every run.
            const double noise = 1.0 + 0.004 * std::sin(step * 2.3 + c);
            const double y = black[c] + (peak[c] - black[c]) * relative / compressedFull * noise;
            text += formatFixed(y, 8, 4);
            text += c < 2 ? ", " : "\r\n";
        }
        ++step;
    }
    text += "[PARAMETERS]\r\n"
            "VERSION=1.00\r\n"
            "NOISE_REDUCTION=OFF\r\n"
            "VERIFICATION_CHECK_BOX=OFF\r\n"
            "VERIFICATION_STEP="
        + formatInteger(static_cast<long long>(stepCodes.size()))
        + "\r\n"
          "BRIGHT_REGION_CORRECTION=ON\r\n"
          "CLIP_BRIGHT_REGION=ON\r\n";
    return text;
}

std::string primarySampleText()
{
    return "[DATA]\r\n"
           "MEASURED_DATA_RED=0.6795, 0.3198, 26.41\r\n"
           "MEASURED_DATA_GREEN=0.2652, 0.6903, 68.87\r\n"
           "MEASURED_DATA_BLUE=0.1503, 0.0596, 4.62\r\n"
           "[PARAMETERS]\r\n"
           "VERSION=1.00\r\n"
           "DISPLAY_TYPE=RGB_LED_DISPLAY\r\n";
}
