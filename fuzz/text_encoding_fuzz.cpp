// Arbitrary bytes through the guess and every pair of encodings. Nothing may
// fail, UTF-8 output must be valid, and Mac OS Japanese that reads without a
// replacement character must come back byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"
#include "platform/utf8.h"
#include "shared/text_enco.h"

namespace {

struct Pair {
  const TextEncoding* target;
  std::unique_ptr<TextConverter> converter;
};

std::vector<Pair> MakeAllPairs() {
  const TextEncoding* all[] = {Encodings::UTF8(),     Encodings::UTF16(),  Encodings::MacJapanese(),
                               Encodings::ShiftJIS(), GetTextEncoding(0x0920), GetTextEncoding(0x0820)};
  std::vector<Pair> pairs;
  for (const TextEncoding* source : all) {
    for (const TextEncoding* target : all) pairs.push_back({target, GetTextConverter(source, target)});
  }
  return pairs;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<Pair> pairs = MakeAllPairs();
  static auto macToUtf8 = GetTextConverter(Encodings::MacJapanese(), Encodings::UTF8());
  static auto utf8ToMac = GetTextConverter(Encodings::UTF8(), Encodings::MacJapanese());
  const std::string text(reinterpret_cast<const char*>(data), size);

  GuessJapaneseEncoding(text);
  gEncSJIS(text);
  for (Pair& pair : pairs) {
    Check(pair.converter != nullptr);
    const std::string output = pair.converter->convert(text);
    if (pair.target == Encodings::UTF8()) Check(IsValidUtf8(output));
  }

  const std::string utf8 = macToUtf8->convert(text);
  if (utf8.find("\uFFFD") == std::string::npos) Check(utf8ToMac->convert(utf8) == text);
  return 0;
}
