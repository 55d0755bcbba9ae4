#include "plist_lines_helpers.h"

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string ValueLineAfter(const std::string& plist, const std::string& key, int nth) {
  const std::vector<std::string> lines = Lines(plist);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == "<key>" + key + "</key>" && nth-- == 0) return lines[i + 1];
  }
  return "";
}
