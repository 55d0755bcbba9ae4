#include "xml_text.h"

#include "platform/utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool AllowedInXml(char32_t code) {
  if (code < 0x20) return code == 0x09 || code == 0x0A || code == 0x0D;
  return code != 0xFFFE && code != 0xFFFF;
}

}  // namespace

std::string XmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto [length, code] = ReadUtf8Character(text.substr(at));
    if (length == 0 || !AllowedInXml(code)) {
      out.append(kReplacement);
      at += length == 0 ? 1 : length;
      continue;
    }
    switch (code) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      default:
        out.append(text.substr(at, length));
    }
    at += length;
  }
  return out;
}
