#pragma once
// The string helpers of the legacy framework, on raw byte strings.

#include <cstdint>
#include <string>
#include <string_view>

// Field n (from 1) of `text` split at `separator`; "" past the last field or
// for n below 1.
std::string NthField(std::string_view text, std::string_view separator, std::int32_t n);
// White space skipped, then the leading decimal number (sign, digits, optional
// fraction and exponent); 0 when there is none.
double Val(std::string_view text);
// Plain decimal, "-" before a negative value.
std::string Str(std::int64_t value);
// Byte position (from 1) of `find` in `text` at or after `start`; 0 when absent.
std::int32_t InStrB(std::string_view text, std::string_view find, std::int32_t start = 1);
// The one-byte string of `code` (0-255).
std::string Chr(std::int32_t code);
// Truncation toward zero; NaN gives 0, values beyond the range the nearest bound.
std::int32_t DoubleToInt32(double value);
