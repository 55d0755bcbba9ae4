#include "xml_text.h"

#include "line_sink.h"
#include "platform/utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool AllowedInXml(char32_t code) {
  if (code < 0x20) return code == 0x09 || code == 0x0A || code == 0x0D;
  return code != 0xFFFE && code != 0xFFFF;
}

// What goes out in place of the character read; "" when it goes out as it is.
std::string_view StandIn(std::size_t length, char32_t code) {
  if (length == 0 || !AllowedInXml(code)) return kReplacement;
  switch (code) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    default:
      return {};
  }
}

}  // namespace

void WriteXmlText(LineSink& out, std::string_view text) {
  std::size_t unwritten = 0;  // where the run not yet written begins
  for (std::size_t at = 0; at < text.size();) {
    const auto [length, code] = ReadUtf8Character(text.substr(at));
    const std::string_view standIn = StandIn(length, code);
    if (standIn.empty()) {
      at += length;
      continue;
    }
    if (at > unwritten) out.Write(text.substr(unwritten, at - unwritten));
    out.Write(standIn);
    at += length == 0 ? 1 : length;
    unwritten = at;
  }
  if (text.size() > unwritten) out.Write(text.substr(unwritten));
}
