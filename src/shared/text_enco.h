#pragma once
// Conversion between encodings chosen by name: "Shift-JIS" (Mac OS
// Japanese), "UTF-8", "UTF-16", "EUC", "JIS", "デフォルト" and "Auto" (detect;
// source only). Any other name means the system default.

#include <memory>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

// The encoding names.
inline const std::string kShiftJIS = "Shift-JIS";  // Mac OS Japanese
inline const std::string kUTF8 = "UTF-8";
inline const std::string kUTF16 = "UTF-16";
inline const std::string kEUC = "EUC";
inline const std::string kJIS = "JIS";
inline const std::string kSystemDefault = "デフォルト";
inline const std::string kAuto = "Auto";  // detect; source only

// The seven cached converters, built by gEncInit; nullptr until then.
extern std::unique_ptr<TextConverter> gTc_SJISUTF8;
extern std::unique_ptr<TextConverter> gTc_UTF16UTF8;
extern std::unique_ptr<TextConverter> gTc_UTF8SJIS;
extern std::unique_ptr<TextConverter> gTc_UTF16SJIS;
extern std::unique_ptr<TextConverter> gTc_UTF8UTF16;
extern std::unique_ptr<TextConverter> gTc_EUCUTF8;
extern std::unique_ptr<TextConverter> gTc_JISUTF8;

std::string gEncText(const std::string& text, const std::string& sourceName,
                     const std::string& targetName);

// Two encoding names looked up once, so that converting many texts between
// them (a document's cells) compares no names for each text.
struct EncPair {
  std::string source, target;
  // The global that holds the pair's cached converter; nullptr when the pair
  // is not one of the seven.
  std::unique_ptr<TextConverter>* cached = nullptr;
};
EncPair gEncPair(const std::string& sourceName, const std::string& targetName);
// gEncText(text, pair.source, pair.target), appended to `out`.
void gEncText(std::string_view text, const EncPair& pair, std::string& out);

// The uncached general path.
std::string gEncTextEtc(const std::string& text, const std::string& sourceName,
                        const std::string& targetName);
// The text converted to "Shift-JIS" when the guess says UTF-16 or UTF-8,
// otherwise unchanged.
std::string gEncSJIS(const std::string& text);
// What gEncSJIS takes the text to be: "UTF-16" or "UTF-8" when the guess says
// so, otherwise "Shift-JIS" (and the text is left as it is). The row writer
// converts a large first cell piece by piece and must cut it by this answer.
std::string gEncSJISSource(const std::string& text);
// "Shift-JIS", "UTF-16", "UTF-8" or "デフォルト", from the guess.
std::string gEncTextGetEnc(const std::string& text);
// Builds the seven cached converters (again, when called again).
void gEncInit();
// Releases the seven converters (program end).
void gEncRelease();
