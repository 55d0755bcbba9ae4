#pragma once
// Where the package writers send their text: lines, or a line in pieces.

#include <string_view>

class LineSink {
 public:
  virtual ~LineSink() = default;
  // Writes the bytes as they are.
  virtual void Write(std::string_view bytes) = 0;
  // Writes the bytes of `line`, then one LF.
  virtual void WriteLine(std::string_view line) = 0;
};
