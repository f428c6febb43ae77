#pragma once

// Number text that does not depend on the process locale: the stored files and the
// texts the programs show always use "." as the decimal separator, even when a German
// locale is active. Built on std::to_chars / std::from_chars.

#include <cstdint>
#include <string>
#include <string_view>

// The C "%g" form (6 significant digits, no trailing zeros), with the exponent written
// with its sign and at least three digits, as the stored files hold it: 1.5e-005, 1e+020.
std::string formatGeneral(double value);

// The C "%W.Pf" form: fixed notation with `precision` decimals, right-aligned in a field
// of at least `width` characters ("%8.4f" is formatFixed(v, 8, 4), "%f" is (v, 0, 6)).
std::string formatFixed(double value, int width, int precision);

// The C "%d" / "%i" form.
std::string formatInteger(long long value);

// The leading number of a text, read as "%lf" does: leading white space skipped, an
// optional sign, then the longest prefix that forms a decimal number (also "inf", "nan").
// Returns false when the text does not begin with a number; `value` is then unchanged.
// `consumed`, when given, receives the number of characters read, white space included.
bool parseLeadingDouble(std::string_view text, double& value, std::size_t* consumed = nullptr);

// As parseLeadingDouble, rounded once to single precision, as "%f" reads into a float.
bool parseLeadingFloat(std::string_view text, float& value, std::size_t* consumed = nullptr);

// The leading decimal integer of a text, as atoi does: leading white space, an optional
// sign, digits up to the first non-digit; 0 when there are no digits. Saturates instead
// of overflowing.
long long parseLeadingInteger(std::string_view text);
