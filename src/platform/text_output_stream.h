#pragma once
// A text file written under a temporary name in its folder and renamed over
// its final name only when committed: no reader ever sees half a file, and a
// symbolic link standing at the final name is replaced, never written
// through. A stream destroyed uncommitted removes its temporary.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class TextOutputStream {
 public:
  // Every failure throws NilObjectException whose message, one Japanese
  // sentence, names the file, what failed (create, write, rename) and the
  // system's reason. Create fails when the folder is missing or read-only.
  static std::unique_ptr<TextOutputStream> Create(const std::filesystem::path& finalPath);

  ~TextOutputStream();
  TextOutputStream(const TextOutputStream&) = delete;
  TextOutputStream& operator=(const TextOutputStream&) = delete;

  // Written after every line; "\n" unless changed.
  std::string Delimiter = "\n";

  void Write(std::string_view bytes);
  void WriteLine(std::string_view bytes);
  // Flushes and closes the temporary; the final name is not touched yet.
  void Close();
  // Closes if needed, then renames the temporary over the final name.
  void Commit();

  const std::filesystem::path& FinalPath() const;
  // True when `entry` is a name this class gives the temporaries of a file
  // named `finalName` (for finding those a crash left behind).
  static bool IsTemporaryName(std::string_view entry, std::string_view finalName);
  // The template (for mkostemp: it ends in "XXXXXX") of the temporaries of
  // `finalPath`, beside it; other files kept there for a while take their
  // names from it too, so that IsTemporaryName finds those a crash left.
  static std::filesystem::path TemporaryTemplate(const std::filesystem::path& finalPath);

 private:
  TextOutputStream() = default;
  struct State;
  std::unique_ptr<State> state_;
};
