#pragma once
// UTF-8 by hand: a strict byte-at-a-time reader and the writer; every UTF-8
// check of the program goes through this reader.

#include <cstdint>
#include <string>
#include <string_view>

// Reads UTF-8 strictly: no overlong forms, no surrogates, nothing above
// U+10FFFF. A bad sequence is reported at its longest valid beginning, so a
// decoder that writes one U+FFFD per report replaces maximal subparts.
class Utf8Scanner {
 public:
  enum class Step {
    Pending,  // inside a sequence; feed the next byte
    Done,     // codePoint() is complete
    Invalid,  // this byte cannot be read; go on with the next one
    Retry,    // the sequence before this byte was cut short; feed it again
  };

  Step feed(std::uint8_t byte) {
    if (needed_ == 0) return start(byte);
    if (byte < lower_ || byte > upper_) {
      restart();
      return Step::Retry;
    }
    lower_ = 0x80;
    upper_ = 0xBF;
    codePoint_ = (codePoint_ << 6) | (byte & 0x3F);
    return --needed_ == 0 ? Step::Done : Step::Pending;
  }
  // True in the middle of a sequence (at the end of a text: cut short).
  bool pending() const { return needed_ != 0; }
  char32_t codePoint() const { return codePoint_; }
  void restart() {
    needed_ = 0;
    lower_ = 0x80;
    upper_ = 0xBF;
  }

 private:
  Step start(std::uint8_t byte) {
    if (byte < 0x80) {
      codePoint_ = byte;
      return Step::Done;
    }
    if (byte >= 0xC2 && byte <= 0xDF) {
      needed_ = 1;
      codePoint_ = byte & 0x1F;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      if (byte == 0xE0) lower_ = 0xA0;  // shorter forms are overlong
      if (byte == 0xED) upper_ = 0x9F;  // above are the surrogates
      needed_ = 2;
      codePoint_ = byte & 0x0F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      if (byte == 0xF0) lower_ = 0x90;
      if (byte == 0xF4) upper_ = 0x8F;  // above is beyond U+10FFFF
      needed_ = 3;
      codePoint_ = byte & 0x07;
    } else {
      return Step::Invalid;
    }
    return Step::Pending;
  }

  char32_t codePoint_ = 0;
  int needed_ = 0;
  std::uint8_t lower_ = 0x80;
  std::uint8_t upper_ = 0xBF;
};

// The character at the start of `text`: its length in bytes and its code
// point; length 0 when no well-formed character starts there.
struct Utf8Character {
  std::size_t length;
  char32_t codePoint;
};

inline Utf8Character ReadUtf8Character(std::string_view text) {
  Utf8Scanner scanner;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Utf8Scanner::Step step = scanner.feed(static_cast<std::uint8_t>(text[i]));
    if (step == Utf8Scanner::Step::Done) return {i + 1, scanner.codePoint()};
    if (step != Utf8Scanner::Step::Pending) break;
  }
  return {0, 0};
}

// True when the whole of `text` is well-formed UTF-8.
inline bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = ReadUtf8Character(text).length;
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

// Writes the UTF-8 of `codePoint` to `out` (room for 4 bytes) and answers the
// byte count. Surrogates and values above U+10FFFF are written as U+FFFD.
inline int EncodeUtf8(char32_t codePoint, char* out) {
  if (codePoint >= 0xD800 && (codePoint <= 0xDFFF || codePoint > 0x10FFFF)) codePoint = 0xFFFD;
  if (codePoint < 0x80) {
    out[0] = static_cast<char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
    out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
  out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
  return 4;
}

inline void AppendUtf8(char32_t codePoint, std::string& out) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(EncodeUtf8(codePoint, bytes)));
}
