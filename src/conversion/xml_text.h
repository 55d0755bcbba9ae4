#pragma once
// Text made fit to stand between two XML tags.

#include <string>
#include <string_view>

// `text` (UTF-8) with "&", "<" and ">" escaped. Bytes that are not UTF-8, and
// characters XML 1.0 forbids (most C0 controls, U+FFFE, U+FFFF), become
// U+FFFD so that the property list stays well-formed; everything else is
// copied unchanged.
std::string XmlText(std::string_view text);
