#pragma once
// Where the package writers send their text, one line at a time.

#include <string>
#include <string_view>

class LineSink {
 public:
  virtual ~LineSink() = default;
  // Writes the bytes of `line`, then one LF.
  virtual void WriteLine(std::string_view line) = 0;
};

// Keeps the lines in memory, LF after each (tests compare it with the
// expected file text).
class StringLineSink final : public LineSink {
 public:
  void WriteLine(std::string_view line) override {
    text.append(line);
    text.push_back('\n');
  }
  std::string text;
};
