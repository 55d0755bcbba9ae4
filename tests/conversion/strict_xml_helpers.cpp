#include "strict_xml_helpers.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace {

class Checker {
 public:
  explicit Checker(std::string_view text) : text_(text) {}

  std::optional<std::string> Run() {
    if (!ValidCharacters()) return error_;
    if (!Prolog() || !Element() || !Misc()) return error_;
    if (at_ != text_.size()) Fail("content after the root element");
    return error_;
  }

 private:
  bool Fail(const std::string& what) {
    if (!error_) error_ = what + " at byte " + std::to_string(at_);
    return false;
  }
  bool Starts(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
  bool Eat(std::string_view s) {
    if (!Starts(s)) return false;
    at_ += s.size();
    return true;
  }
  bool Expect(std::string_view s) { return Eat(s) || Fail("expected \"" + std::string(s) + "\""); }
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
  bool Space() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    return at_ > start;
  }
  static bool NameChar(char c, bool first) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || c == '_' || c == ':' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
      return true;
    return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
  }
  bool Name(std::string& name) {
    const std::size_t start = at_;
    while (at_ < text_.size() && NameChar(text_[at_], at_ == start)) ++at_;
    name = std::string(text_.substr(start, at_ - start));
    return !name.empty() || Fail("expected a name");
  }
  bool Quoted(std::string& value) {
    if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
      return Fail("expected a quote");
    const char quote = text_[at_++];
    const std::size_t end = text_.find(quote, at_);
    if (end == std::string_view::npos) return Fail("unterminated literal");
    value = std::string(text_.substr(at_, end - at_));
    at_ = end + 1;
    return true;
  }

  // Every byte sequence must be UTF-8 and every character an XML Char.
  bool ValidCharacters();
  bool Prolog();
  bool Misc();
  bool Element();
  bool Attributes();
  bool Content(const std::string& name);
  bool Reference();

  std::string_view text_;
  std::size_t at_ = 0;
  std::optional<std::string> error_;
};

bool Checker::ValidCharacters() {
  for (std::size_t i = 0; i < text_.size();) {
    const auto b = static_cast<unsigned char>(text_[i]);
    std::size_t n = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    char32_t code = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; n && k < n; ++k) {
      if (i + k >= text_.size() || (static_cast<unsigned char>(text_[i + k]) & 0xC0) != 0x80)
        n = 0;
      else
        code = (code << 6) | (static_cast<unsigned char>(text_[i + k]) & 0x3F);
    }
    const char32_t minimum = n == 2 ? 0x80 : n == 3 ? 0x800 : n == 4 ? 0x10000 : 0;
    at_ = i;
    if (n == 0 || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return Fail("not UTF-8");
    if ((code < 0x20 && code != 0x9 && code != 0xA && code != 0xD) || code == 0xFFFE ||
        code == 0xFFFF)
      return Fail("character not allowed in XML");
    i += n;
  }
  at_ = 0;
  return true;
}

bool Checker::Prolog() {
  if (Eat("<?xml")) {
    const std::size_t end = text_.find("?>", at_);
    if (end == std::string_view::npos) return Fail("unterminated XML declaration");
    const std::string_view decl = text_.substr(at_, end - at_);
    if (decl.find("version=\"1.0\"") == std::string_view::npos) return Fail("no version 1.0");
    at_ = end + 2;
  }
  Space();
  if (Eat("<!DOCTYPE")) {
    std::string name, publicId, systemId;
    if (!Space() || !Name(name) || !Space()) return Fail("bad DOCTYPE");
    if (Eat("PUBLIC")) {
      if (!Space() || !Quoted(publicId) || !Space() || !Quoted(systemId))
        return Fail("bad PUBLIC id");
    } else if (Eat("SYSTEM")) {
      if (!Space() || !Quoted(systemId)) return Fail("bad SYSTEM id");
    }
    Space();
    if (!Expect(">")) return false;
  }
  Space();
  return true;
}

bool Checker::Misc() {
  Space();
  return true;
}

bool Checker::Attributes() {
  std::vector<std::string> seen;
  for (;;) {
    const bool spaced = Space();
    if (Starts(">") || Starts("/>")) return true;
    std::string name, value;
    if (!spaced) return Fail("attributes need white space between them");
    if (!Name(name)) return false;
    for (const auto& s : seen)
      if (s == name) return Fail("repeated attribute " + name);
    seen.push_back(name);
    Space();
    if (!Expect("=")) return false;
    Space();
    if (!Quoted(value)) return false;
    if (value.find('<') != std::string::npos) return Fail("'<' in an attribute value");
  }
}

bool Checker::Element() {
  std::string name;
  if (!Expect("<") || !Name(name) || !Attributes()) return false;
  if (Eat("/>")) return true;
  if (!Expect(">")) return false;
  return Content(name);
}

bool Checker::Reference() {
  static const char* const kEntities[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
  for (const char* entity : kEntities)
    if (Eat(entity)) return true;
  if (!Eat("#")) return Fail("unknown entity");
  const bool hex = Eat("x");
  const std::size_t start = at_;
  std::uint32_t code = 0;
  while (at_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[at_])) &&
         (hex || std::isdigit(static_cast<unsigned char>(text_[at_])))) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[at_])));
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    if (code > 0x10FFFF) return Fail("character reference out of range");
    ++at_;
  }
  if (at_ == start || !Eat(";")) return Fail("bad character reference");
  const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                       (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                       code >= 0x10000;
  return allowed || Fail("character reference to a forbidden character");
}

bool Checker::Content(const std::string& name) {
  for (;;) {
    if (at_ >= text_.size()) return Fail("element <" + name + "> is not closed");
    if (Eat("</")) {
      std::string closing;
      if (!Name(closing)) return false;
      if (closing != name) return Fail("</" + closing + "> closes <" + name + ">");
      Space();
      return Expect(">");
    }
    if (Starts("<!--") || Starts("<![CDATA[") || Starts("<?")) return Fail("unsupported markup");
    if (Starts("<")) {
      if (!Element()) return false;
      continue;
    }
    if (Eat("&")) {
      if (!Reference()) return false;
      continue;
    }
    if (Starts("]]>")) return Fail("\"]]>\" in character data");
    ++at_;
  }
}

}  // namespace

std::optional<std::string> XmlWellFormednessError(std::string_view document) {
  return Checker(document).Run();
}
