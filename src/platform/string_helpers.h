#pragma once
// The string helpers of the legacy framework, on raw byte strings, and the
// path texts that file items share.

#include <cstdint>
#include <string>
#include <string_view>

// Field n (from 1) of `text` split at `separator`, a view into `text`; ""
// past the last field or for n below 1.
std::string_view NthField(std::string_view text, std::string_view separator, std::int32_t n);
// White space skipped, then the leading decimal number (sign, digits, optional
// fraction and exponent); 0 when there is none.
double Val(std::string_view text);
// Plain decimal, "-" before a negative value.
std::string Str(std::int64_t value);
// The one-byte string of `code` (0-255).
std::string Chr(std::int32_t code);
// Truncation toward zero; NaN gives 0, values beyond the range the nearest bound.
std::int32_t DoubleToInt32(double value);

// Path texts as file items keep them: absolute, "/" between components, no
// trailing "/" except for the root itself.
// `folder`, "/" and `name`.
std::string JoinPath(std::string_view folder, std::string_view name);
// All but the last component ("/" for the root and its entries).
std::string_view ParentPath(std::string_view path);
// The last component; "" for the root.
std::string_view BaseName(std::string_view path);
// The components of `path` below `folder`, which holds it; "" when the two
// are one.
std::string_view PathBelow(std::string_view path, std::string_view folder);
