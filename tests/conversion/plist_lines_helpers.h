#pragma once
// Reading values back out of a property list the package writers made.

#include <string>
#include <vector>

// The lines of `text`, each without its LF; a final LF ends the last line.
std::vector<std::string> Lines(const std::string& text);
// The value line after the n-th (from 0) "<key>KEY</key>" line; "" when none.
std::string ValueLineAfter(const std::string& plist, const std::string& key, int nth = 0);
