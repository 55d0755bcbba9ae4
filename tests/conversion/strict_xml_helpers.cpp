#include "strict_xml_helpers.h"

#include <regex>
#include <vector>

namespace {

bool XmlChar(unsigned long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Every sequence must be UTF-8 (no overlong forms, no surrogates) and every
// character an XML character.
std::optional<std::string> CharacterError(std::string_view t) {
  for (std::size_t at = 0, n; at < t.size(); at += n) {
    const auto b = static_cast<unsigned char>(t[at]);
    n = b < 0x80                 ? 1
        : b >= 0xC2 && b <= 0xDF ? 2
        : b >= 0xE0 && b <= 0xEF ? 3
        : b >= 0xF0 && b <= 0xF4 ? 4
                                 : 0;
    unsigned long code = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t k = 1; n && k < n; ++k) {
      const auto next = at + k < t.size() ? static_cast<unsigned char>(t[at + k]) : 0;
      code = (next & 0xC0) == 0x80 ? (code << 6) | (next & 0x3F) : (n = 0);
    }
    const unsigned long least = n == 2 ? 0x80 : n == 3 ? 0x800 : n == 4 ? 0x10000 : 0;
    if (n == 0 || code < least || (code >= 0xD800 && code <= 0xDFFF))
      return "not UTF-8 at byte " + std::to_string(at);
    if (!XmlChar(code)) return "character not allowed in XML at byte " + std::to_string(at);
  }
  return std::nullopt;
}

#define NAME "[A-Za-z_:][-A-Za-z0-9_:.]*"
#define LITERAL "(?:\"[^\"<]*\"|'[^'<]*')"
const std::regex kProlog("(<\\?xml\\s+version=\"1\\.0\"[^?]*\\?>)?\\s*(<!DOCTYPE\\s+" NAME
                         "(\\s+(PUBLIC\\s+" LITERAL "\\s+" LITERAL "|SYSTEM\\s+" LITERAL
                         "))?\\s*>)?\\s*");
// Groups: 1 "/" of an end tag, 2 the name, 3 "/" of an empty element.
const std::regex kTag("<(/?)(" NAME ")(?:\\s+" NAME "\\s*=\\s*" LITERAL ")*\\s*(/?)>");
const std::regex kReference("&(amp|lt|gt|quot|apos|#([0-9]+)|#x([0-9A-Fa-f]+));");

}  // namespace

std::optional<std::string> XmlWellFormednessError(std::string_view document) {
  if (auto error = CharacterError(document)) return error;
  const std::string text(document);
  const auto fail = [](const std::string& what, std::size_t at) {
    return what + " at byte " + std::to_string(at);
  };
  std::smatch m;
  const auto matchAt = [&](std::size_t at, const std::regex& re) {
    return std::regex_search(text.cbegin() + static_cast<long>(at), text.cend(), m, re,
                             std::regex_constants::match_continuous);
  };
  std::size_t at = matchAt(0, kProlog) ? m.length() : 0;
  std::vector<std::string> open;
  do {
    if (at >= text.size())
      return fail(open.empty() ? "no root element" : "<" + open.back() + "> is not closed", at);
    if (text[at] == '<') {
      if (!matchAt(at, kTag) || (m[1].length() && m[3].length()))
        return fail("bad or unsupported markup", at);
      if (m[1].length() && (open.empty() || open.back() != m[2]))
        return fail("</" + m[2].str() + "> closes nothing open", at);
      if (m[1].length())
        open.pop_back();
      else if (!m[3].length())
        open.push_back(m[2]);
      at += m.length();
    } else if (open.empty()) {
      return fail("text outside the root element", at);
    } else if (text[at] == '&') {
      if (!matchAt(at, kReference)) return fail("bad entity or character reference", at);
      const bool numeric = m[2].matched || m[3].matched;
      if (numeric && (m.length() > 12 || !XmlChar(std::stoul(m[2].matched ? m[2].str() : m[3].str(),
                                                             nullptr, m[2].matched ? 10 : 16))))
        return fail("character reference to a forbidden character", at);
      at += m.length();
    } else if (text.compare(at, 3, "]]>") == 0) {
      return fail("\"]]>\" in character data", at);
    } else {
      ++at;
    }
  } while (!open.empty());
  at = text.find_first_not_of(" \t\n\r", at);
  if (at == std::string::npos) return std::nullopt;
  return fail("content after the root element", at);
}
