#include "start_up_values.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "globals.h"
#include "legacy_document_reader.h"
#include "platform/binary_stream.h"
#include "platform/errors.h"
#include "platform/folder_item.h"
#include "platform/services.h"
#include "platform/string_helpers.h"
#include "platform/text_encoding.h"
#include "text_enco.h"

namespace {

using Kind = LegacyDocumentReader::Kind;

// Entries 17, 18 and 19 of the preference strings are long strings (an Int32
// length, then the bytes); every other entry is a short string.
bool IsLongString(std::int32_t index) { return index >= 17 && index <= 19; }

// Far beyond any preference string; what keeps a hostile file from holding
// much memory for the whole run.
constexpr std::int32_t kMaxLongString = 1 << 20;

// The file's layout, front to back. Every entry the file counts is read, so
// that one past the arrays' ends cannot shift what follows; only the entries
// that have a slot are stored.
void ReadPrefs(LegacyDocumentReader& reader) {
  reader.ReadShortString({Kind::Header});  // its content is not checked
  const std::int32_t numberCount = reader.ReadLong({Kind::PrefCount});
  for (std::int32_t i = 0; i < numberCount; ++i) {
    const std::int32_t value = DoubleToInt32(Val(reader.ReadShortString({Kind::PrefNumber, i})));
    if (static_cast<std::size_t>(i) < gPref.size()) gPref[i] = value;
    YieldToUI();
  }
  const std::int32_t stringCount = reader.ReadLong({Kind::StringCount});
  for (std::int32_t i = 0; i < stringCount; ++i) {
    std::string text = IsLongString(i)
                           ? reader.ReadLongString({Kind::PrefString, i}, kMaxLongString)
                           : reader.ReadShortString({Kind::PrefString, i});
    if (static_cast<std::size_t>(i) < gPrefS.size()) {
      gPrefS[i] = DefineEncoding(std::move(text), Encodings::ShiftJIS());
    }
    YieldToUI();
  }
}

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return {};
}

}  // namespace

void InitVal() {
  gListCre = "qZt5";
  gPrefName = "Tavrin初期設定";
  gEncInit();
}

void LoadPref() {
  const std::filesystem::path preferences = PreferencesFolder();
  if (preferences.empty()) return;  // no home folder: there is no file to read
  const FolderItem folder = FolderItem(preferences).Child(gPrefName);
  if (!folder.Exists()) return;
  const FolderItem file = folder.Child("pref");
  if (!file.Exists()) return;
  LoadPrefFrom(file);
}

void LoadPrefFrom(const FolderItem& file) {
  std::unique_ptr<BinaryStream> stream;
  try {
    stream = file.OpenAsBinaryFile(false);
  } catch (const NilObjectException&) {
    return;  // a file that cannot be opened counts as missing
  }
  if (!stream) return;
  try {
    LegacyDocumentReader reader(*stream);
    ReadPrefs(reader);
  } catch (const ReadError&) {
    // The file ends early (or cannot be read on): what was read before the
    // end stays, the rest keeps its start-up value. Start-up goes on.
  }
  stream->Close();
}

std::filesystem::path PreferencesFolder() {
#ifdef __APPLE__
  const std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / "Library" / "Preferences";
#else
  // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG rules say.
  if (const char* config = std::getenv("XDG_CONFIG_HOME");
      config != nullptr && std::filesystem::path(config).is_absolute()) {
    return config;
  }
  const std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / ".config";
#endif
}
