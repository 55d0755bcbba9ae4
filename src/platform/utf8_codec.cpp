#include "platform/utf8_codec.h"

#include <cstdint>

#include "platform/utf8.h"

void Utf8Codec::decode(std::string_view bytes, std::u32string& out) {
  Utf8Scanner scanner;
  std::size_t i = 0;
  while (i < bytes.size()) {
    switch (scanner.feed(static_cast<std::uint8_t>(bytes[i]))) {
      case Utf8Scanner::Step::Pending:
        ++i;
        break;
      case Utf8Scanner::Step::Done:
        out.push_back(scanner.codePoint());
        ++i;
        break;
      case Utf8Scanner::Step::Invalid:
        out.push_back(U'\uFFFD');
        ++i;
        break;
      case Utf8Scanner::Step::Retry:  // the same byte is read again
        out.push_back(U'\uFFFD');
        break;
    }
  }
  if (scanner.pending()) out.push_back(U'\uFFFD');
}

void Utf8Codec::encode(std::u32string_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  for (char32_t codePoint : text) AppendUtf8(codePoint, out);
}
