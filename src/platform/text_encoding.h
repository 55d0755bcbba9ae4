#pragma once
// Text encodings and converters between them. Strings are raw bytes; an
// encoding says how to read them. "Mac OS Japanese" is our own table (ICU has
// none); the others come from ICU.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TextEncoding {
 public:
  enum class Kind { UTF8, UTF16, MacJapanese, ShiftJIS, EUCJP, ISO2022JP };

  explicit TextEncoding(Kind kind);
  Kind kind() const { return kind_; }
  // "UTF-8", "UTF-16", "x-mac-japanese", "Shift_JIS", "EUC-JP", "ISO-2022-JP".
  const std::string& internetName() const { return internetName_; }

 private:
  Kind kind_;
  std::string internetName_;
};

// The fixed encodings; each call answers the same object, alive until exit.
struct Encodings {
  static const TextEncoding* UTF8();
  static const TextEncoding* UTF16();  // big-endian, no byte-order mark on output
  static const TextEncoding* MacJapanese();
  static const TextEncoding* ShiftJIS();
  static const TextEncoding* SystemDefault();  // UTF-8 here
};

// True when `text` begins with a UTF-16 byte-order mark: FE FF (big-endian)
// or FF FE (little-endian).
bool StartsWithByteOrderMark(std::string_view text);

// Platform text-encoding numbers: base 0x0920 is EUC-JP, 0x0820 ISO-2022-JP.
// nullptr for any other base.
const TextEncoding* GetTextEncoding(std::int32_t base, std::int32_t variant = 0,
                                    std::int32_t format = 0);

// Converts whole texts. Bytes not valid in the source decode to U+FFFD;
// characters the target cannot hold become "?". Never throws.
class TextConverter {
 public:
  virtual ~TextConverter() = default;
  virtual std::string convert(std::string_view text) = 0;
  // The same, appended to `out`, whose storage is reused.
  virtual void AppendConverted(std::string_view text, std::string& out);
  // Forgets any state carried from an earlier text.
  virtual void Reset() = 0;
};

// nullptr when either encoding is missing or the pair is not supported.
std::unique_ptr<TextConverter> GetTextConverter(const TextEncoding* source,
                                                const TextEncoding* target);

// Tags a text with an encoding; the bytes are unchanged.
std::string DefineEncoding(std::string text, const TextEncoding* encoding);
