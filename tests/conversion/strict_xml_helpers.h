#pragma once
// A strict XML 1.0 well-formedness check, enough for property lists: a
// declaration, a DOCTYPE with an external identifier, elements with
// attributes, character data with the five predefined entities and character
// references, all in UTF-8 of XML characters. Anything else is refused.

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

inline bool XmlChar(unsigned long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// nullopt when `document` is well-formed; otherwise what is wrong and where.
inline std::optional<std::string> XmlWellFormednessError(std::string_view document) {
  const auto fail = [](const std::string& what, std::size_t at) {
    return what + " at byte " + std::to_string(at);
  };
  // UTF-8 only (no overlong forms, no surrogates), XML characters only.
  const std::string text(document);
  for (std::size_t at = 0, n; at < text.size(); at += n) {
    const auto b = static_cast<unsigned char>(text[at]);
    n = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 0;
    unsigned long code = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t k = 1; n && k < n; ++k) {
      const auto next = at + k < text.size() ? static_cast<unsigned char>(text[at + k]) : 0;
      code = (next & 0xC0) == 0x80 ? (code << 6) | (next & 0x3F) : (n = 0);
    }
    const unsigned long least = n == 2 ? 0x80 : n == 3 ? 0x800 : n == 4 ? 0x10000 : 0;
    if (n == 0 || code < least || (code >= 0xD800 && code <= 0xDFFF)) return fail("not UTF-8", at);
    if (!XmlChar(code)) return fail("character not allowed in XML", at);
  }
#define NAME "[A-Za-z_:][-A-Za-z0-9_:.]*"
#define LITERAL "(?:\"[^\"<]*\"|'[^'<]*')"
  static const std::regex prolog("(<\\?xml\\s+version=\"1\\.0\"[^?]*\\?>)?\\s*(<!DOCTYPE\\s+" NAME
                                 "(\\s+(PUBLIC\\s+" LITERAL "\\s+" LITERAL "|SYSTEM\\s+" LITERAL
                                 "))?\\s*>)?\\s*");
  // Groups: 1 "/" of an end tag, 2 the name, 3 "/" of an empty element.
  static const std::regex tag("<(/?)(" NAME ")(?:\\s+" NAME "\\s*=\\s*" LITERAL ")*\\s*(/?)>");
  static const std::regex reference("&(amp|lt|gt|quot|apos|#([0-9]+)|#x([0-9A-Fa-f]+));");
#undef NAME
#undef LITERAL
  std::smatch m;
  const auto matchAt = [&](std::size_t at, const std::regex& re) {
    return std::regex_search(text.cbegin() + static_cast<long>(at), text.cend(), m, re,
                             std::regex_constants::match_continuous);
  };
  std::size_t at = matchAt(0, prolog) ? m.length() : 0;
  std::vector<std::string> open;
  do {
    if (at >= text.size())
      return fail(open.empty() ? "no root element" : "<" + open.back() + "> is not closed", at);
    if (text[at] == '<') {
      if (!matchAt(at, tag) || (m[1].length() && m[3].length()))
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
      if (!matchAt(at, reference)) return fail("bad entity or character reference", at);
      const bool decimal = m[2].matched;
      if ((decimal || m[3].matched) &&
          (m.length() > 12 ||
           !XmlChar(std::stoul(m[decimal ? 2 : 3].str(), nullptr, decimal ? 10 : 16))))
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
