#include "shared/text_enco.h"

#include <array>
#include <string_view>

#include "platform/japanese_guess.h"

std::unique_ptr<TextConverter> gTc_SJISUTF8;
std::unique_ptr<TextConverter> gTc_UTF16UTF8;
std::unique_ptr<TextConverter> gTc_UTF8SJIS;
std::unique_ptr<TextConverter> gTc_UTF16SJIS;
std::unique_ptr<TextConverter> gTc_UTF8UTF16;
std::unique_ptr<TextConverter> gTc_EUCUTF8;
std::unique_ptr<TextConverter> gTc_JISUTF8;

namespace {

// The encoding of a name; any name outside the list means the system default.
const TextEncoding* EncodingNamed(const std::string& name) {
  if (name == kSystemDefault) return Encodings::SystemDefault();
  if (name == kShiftJIS) return Encodings::MacJapanese();  // not the plain Shift_JIS
  if (name == kUTF8) return Encodings::UTF8();
  if (name == kUTF16) return Encodings::UTF16();
  if (name == kJIS) return GetTextEncoding(0x0820, 0, 0);
  if (name == kEUC) return GetTextEncoding(0x0920, 0, 0);
  return Encodings::SystemDefault();
}

// The seven cached pairs, in the order gEncText tests them and gEncInit
// builds them.
struct CachedPair {
  const std::string& source;
  const std::string& target;
  std::unique_ptr<TextConverter>* converter;
};
const std::array<CachedPair, 7> kCachedPairs = {{
    {kShiftJIS, kUTF8, &gTc_SJISUTF8},
    {kUTF16, kUTF8, &gTc_UTF16UTF8},
    {kUTF8, kShiftJIS, &gTc_UTF8SJIS},
    {kUTF16, kShiftJIS, &gTc_UTF16SJIS},
    {kUTF8, kUTF16, &gTc_UTF8UTF16},
    {kEUC, kUTF8, &gTc_EUCUTF8},
    {kJIS, kUTF8, &gTc_JISUTF8},
}};

// The encoding name that the guess gives for `text`.
const std::string& GuessedName(std::string_view text) {
  const TextEncoding* guess = GuessJapaneseEncoding(text);
  if (guess == nullptr) return kSystemDefault;
  const std::string& name = guess->internetName();
  if (name == "Shift_JIS") return kShiftJIS;
  if (name == "UTF-16" || name == "UNICODE-2-0") return kUTF16;
  if (name == "UTF-8") return kUTF8;
  return kSystemDefault;
}

}  // namespace

std::string gEncText(const std::string& text, const std::string& sourceName,
                     const std::string& targetName) {
  const std::string& source = sourceName == kAuto ? GuessedName(text) : sourceName;
  const EncPair pair = gEncPair(source, targetName);
  if (pair.cached == nullptr || *pair.cached == nullptr)
    return gEncTextEtc(text, source, targetName);
  std::string out;
  gEncText(text, pair, out);
  return out;
}

EncPair gEncPair(const std::string& sourceName, const std::string& targetName) {
  EncPair pair{sourceName, targetName};
  for (const CachedPair& cached : kCachedPairs) {
    if (sourceName == cached.source && targetName == cached.target) {
      pair.cached = cached.converter;
      break;
    }
  }
  return pair;
}

void gEncText(std::string_view text, const EncPair& pair, std::string& out) {
  TextConverter* converter = pair.cached != nullptr ? pair.cached->get() : nullptr;
  if (converter == nullptr) {
    out += gEncText(std::string(text), pair.source, pair.target);
    return;
  }
  // A cached converter starts each text afresh: no shift state or cut-off
  // character of the previous text may leak into this one.
  converter->Reset();
  converter->AppendConverted(text, out);
}

std::string gEncTextEtc(const std::string& text, const std::string& sourceName,
                        const std::string& targetName) {
  const TextEncoding* source = EncodingNamed(sourceName);
  const TextEncoding* target = EncodingNamed(targetName);
  if (source == nullptr || target == nullptr) return text;
  if (source->internetName() == target->internetName()) return text;
  std::unique_ptr<TextConverter> converter = GetTextConverter(source, target);
  if (converter == nullptr) return text;
  return converter->convert(text);
}

std::string gEncSJIS(const std::string& text) {
  const std::string source = gEncSJISSource(text);
  return source == kShiftJIS ? text : gEncText(text, source, kShiftJIS);
}

std::string gEncSJISSource(const std::string& text) {
  const std::string& name = GuessedName(text);
  return name == kUTF16 || name == kUTF8 ? name : kShiftJIS;
}

std::string gEncTextGetEnc(const std::string& text) { return GuessedName(text); }

void gEncInit() {
  for (const CachedPair& pair : kCachedPairs) {
    *pair.converter = GetTextConverter(EncodingNamed(pair.source), EncodingNamed(pair.target));
  }
}

// No converter depends on another; this is the order the legacy program
// released them in.
void gEncRelease() {
  for (auto* converter : {&gTc_SJISUTF8, &gTc_UTF8SJIS, &gTc_UTF8UTF16, &gTc_UTF16UTF8,
                          &gTc_EUCUTF8, &gTc_JISUTF8, &gTc_UTF16SJIS}) {
    converter->reset();
  }
}
