#pragma once
// A sink that keeps what the writers write, to compare with the expected
// file text.

#include <string>
#include <string_view>

#include "conversion/line_sink.h"

class StringLineSink final : public LineSink {
 public:
  void Write(std::string_view bytes) override { text.append(bytes); }
  void WriteLine(std::string_view line) override {
    text.append(line);
    text.push_back('\n');
  }
  std::string text;
};
