#include "platform/string_helpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// Length of the decimal number at the start of `text` (after its sign):
// digits, an optional fraction, an optional exponent that counts only when
// it has digits. 0 when there is no digit before the exponent.
std::size_t NumberLength(std::string_view text) {
  std::size_t end = SkipDigits(text, 0);
  bool digits = end > 0;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fractionEnd = SkipDigits(text, end + 1);
    digits = digits || fractionEnd > end + 1;
    end = fractionEnd;
  }
  if (!digits) return 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    const std::size_t exponentEnd = SkipDigits(text, exponent);
    if (exponentEnd > exponent) end = exponentEnd;
  }
  return end;
}

// from_chars gives no value for a number beyond the range of a double; tell
// an overflow from an underflow by where its first significant digit stands.
double OutOfRange(std::string_view number) {
  std::int64_t scale = 0;  // power of ten of the first non-zero digit, roughly
  bool seenPoint = false, seenDigit = false;
  std::size_t at = 0;
  for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
    if (number[at] == '.') {
      seenPoint = true;
    } else if (number[at] != '0' || seenDigit) {
      seenDigit = true;
      if (!seenPoint) ++scale;
    } else if (seenPoint) {
      --scale;
    }
  }
  if (at < number.size()) {  // NumberLength kept the exponent only with digits
    std::size_t digit = at + 1;
    const bool negative = number[digit] == '-';
    if (number[digit] == '+' || number[digit] == '-') ++digit;
    std::int64_t exponent = 0;
    for (; digit < number.size(); ++digit) {
      exponent = std::min<std::int64_t>(exponent * 10 + (number[digit] - '0'), 1000000);
    }
    scale += negative ? -exponent : exponent;
  }
  return scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

}  // namespace

std::string_view NthField(std::string_view text, std::string_view separator, std::int32_t n) {
  if (n < 1) return {};
  if (separator.empty()) return n == 1 ? text : std::string_view();
  std::size_t start = 0;
  for (std::int32_t field = 1; field < n; ++field) {
    const std::size_t found = text.find(separator, start);
    if (found == std::string_view::npos) return {};
    start = found + separator.size();
  }
  const std::size_t end = text.find(separator, start);
  return text.substr(start, end == std::string_view::npos ? text.npos : end - start);
}

double Val(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::string_view rest = text.substr(at);
  const std::string_view number = rest.substr(0, NumberLength(rest));
  if (number.empty()) return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) value = OutOfRange(number);
  return negative ? -value : value;
}

std::string Str(std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

std::string Chr(std::int32_t code) {
  if (code < 0 || code > 255) {
    throw OutOfBoundsException("Chr の文字コードが 0 から 255 の範囲外です：" + Str(code));
  }
  return std::string(1, static_cast<char>(static_cast<unsigned char>(code)));
}

std::int32_t DoubleToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);  // in range: truncates toward zero
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  const std::size_t slash = folder.empty() || folder.back() != '/' ? 1 : 0;
  std::string path(folder.size() + slash + name.size(), '/');
  folder.copy(path.data(), folder.size());
  name.copy(path.data() + folder.size() + slash, name.size());
  return path;
}

std::string_view ParentPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::string_view BaseName(std::string_view path) {
  if (path == "/") return {};
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view PathBelow(std::string_view path, std::string_view folder) {
  if (path.size() <= folder.size()) return {};
  return path.substr(folder == "/" ? 1 : folder.size() + 1);
}
