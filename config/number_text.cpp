#include "config/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

constexpr int kGeneralDigits = 6;
constexpr int kMinExponentDigits = 3;
constexpr int kDefaultFixedPrecision = 6;
// Far more decimals than a double holds; keeps the buffer size bounded for absurd requests.
constexpr int kMaxFixedPrecision = 1100;

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

void removeTrailingFractionZeros(std::string& digits)
{
    if (digits.find('.') == std::string::npos)
        return;
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == '.')
        digits.pop_back();
}

// "1.5e-05" -> "1.5e-005": the files hold at least three exponent digits.
std::string widenExponent(std::string_view scientific)
{
    const auto e = scientific.find('e');
    std::string mantissa(scientific.substr(0, e));
    removeTrailingFractionZeros(mantissa);
    const char sign = scientific[e + 1];
    std::string_view digits = scientific.substr(e + 2);
    std::string result = mantissa + 'e' + sign;
    for (std::size_t n = digits.size(); n < kMinExponentDigits; ++n)
        result += '0';
    result += digits;
    return result;
}

// The decimal exponent of a number text that from_chars found out of range: positive when
// the number is too large for the type (it reads as infinity), else it is too small (zero).
bool exceedsRange(std::string_view number)
{
    constexpr long long kClamp = 1'000'000'000;
    std::size_t i = 0;
    long long magnitude = 0;
    bool seenNonZero = false;
    bool afterPoint = false;
    for (; i < number.size() && (isDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            afterPoint = true;
        } else if (!seenNonZero && number[i] != '0') {
            seenNonZero = true;
            if (afterPoint)
                --magnitude;
        } else if (!seenNonZero && afterPoint) {
            --magnitude;
        } else if (seenNonZero && !afterPoint && magnitude < kClamp) {
            ++magnitude;
        }
    }
    long long exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        for (; i < number.size() && isDigit(number[i]); ++i)
            if (exponent < kClamp)
                exponent = exponent * 10 + (number[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return magnitude + exponent >= 0;
}

// Skips leading white space and an optional sign, as the C conversions do; returns where
// the digits start.
std::size_t skipSpaceAndSign(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    return i;
}

template <typename Real> bool parseLeadingReal(std::string_view text, Real& value, std::size_t* consumed)
{
    bool negative = false;
    std::size_t i = skipSpaceAndSign(text, negative);
    // from_chars takes a minus sign itself; a second sign is not part of a number.
    if (i >= text.size() || text[i] == '-')
        return false;

    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    Real parsed{};
    const auto [stop, error] = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        parsed = exceedsRange(std::string_view(begin, static_cast<std::size_t>(stop - begin)))
            ? std::numeric_limits<Real>::infinity()
            : Real(0);
    } else if (error != std::errc()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    if (consumed)
        *consumed = static_cast<std::size_t>(stop - text.data());
    return true;
}

} // namespace

std::string formatGeneral(double value)
{
    char buffer[64];
    if (!std::isfinite(value)) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, result.ptr);
    }
    // The exponent after rounding to six digits decides between the two forms, as in "%g".
    const auto scientific =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, kGeneralDigits - 1);
    const std::string_view scientificText(buffer, static_cast<std::size_t>(scientific.ptr - buffer));
    const auto e = scientificText.find('e');
    int exponent = 0;
    std::from_chars(scientificText.data() + e + 1 + (scientificText[e + 1] == '+'),
                    scientificText.data() + scientificText.size(), exponent);

    if (exponent < -4 || exponent >= kGeneralDigits)
        return widenExponent(scientificText);

    char fixedBuffer[64];
    const auto fixed = std::to_chars(fixedBuffer, fixedBuffer + sizeof fixedBuffer, value, std::chars_format::fixed,
                                     kGeneralDigits - 1 - exponent);
    std::string text(fixedBuffer, fixed.ptr);
    removeTrailingFractionZeros(text);
    return text;
}

std::string formatFixed(double value, int width, int precision)
{
    if (precision < 0)
        precision = kDefaultFixedPrecision;
    if (precision > kMaxFixedPrecision)
        precision = kMaxFixedPrecision;
    // The largest double has 309 integer digits.
    std::string text(static_cast<std::size_t>(precision) + 320, '\0');
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, precision);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string formatInteger(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool parseLeadingDouble(std::string_view text, double& value, std::size_t* consumed)
{
    return parseLeadingReal(text, value, consumed);
}

bool parseLeadingFloat(std::string_view text, float& value, std::size_t* consumed)
{
    return parseLeadingReal(text, value, consumed);
}

long long parseLeadingInteger(std::string_view text)
{
    bool negative = false;
    std::size_t i = skipSpaceAndSign(text, negative);

    // Accumulate the magnitude unsigned so that the most negative value fits.
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : static_cast<unsigned long long>(LLONG_MAX);
    unsigned long long magnitude = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (!negative)
        return static_cast<long long>(magnitude);
    if (magnitude == static_cast<unsigned long long>(LLONG_MAX) + 1)
        return LLONG_MIN;
    return -static_cast<long long>(magnitude);
}
