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
  // Throws NilObjectException (readable message) when the temporary cannot be
  // created, for instance when the folder is missing or read-only.
  static std::unique_ptr<TextOutputStream> Create(const std::filesystem::path& finalPath);

  ~TextOutputStream();
  TextOutputStream(const TextOutputStream&) = delete;
  TextOutputStream& operator=(const TextOutputStream&) = delete;

  // Written after every line; "\n" unless changed.
  std::string Delimiter = "\n";

  void Write(std::string_view bytes);
  void WriteLine(std::string_view bytes);
  // Flushes and closes the temporary; the final name is not touched yet.
  // Throws NilObjectException when the data cannot be written.
  void Close();
  // Closes if needed, then renames the temporary over the final name.
  void Commit();
  // Removes the temporary; the final name is not touched.
  void Discard();

  const std::filesystem::path& FinalPath() const;
  const std::filesystem::path& TemporaryPath() const;

 private:
  TextOutputStream() = default;
  struct State;
  std::unique_ptr<State> state_;
};
