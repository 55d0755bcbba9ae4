#pragma once
// Where the package writers send their text: lines, or a line in pieces.

#include <string>
#include <string_view>

class LineSink {
 public:
  virtual ~LineSink() = default;
  // Writes the bytes as they are.
  virtual void Write(std::string_view bytes) = 0;
  // Writes the bytes of `line`, then one LF.
  virtual void WriteLine(std::string_view line) = 0;
};

// Keeps the lines in memory, LF after each (tests compare it with the
// expected file text).
class StringLineSink final : public LineSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  void WriteLine(std::string_view line) override {
    text.append(line);
    text.push_back('\n');
  }
  std::string text;
};
