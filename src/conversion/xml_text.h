#pragma once
// Text made fit to stand between two XML tags.

#include <string_view>

class LineSink;

// Writes `text` (UTF-8) to `out` with "&", "<" and ">" escaped. Bytes that
// are not UTF-8, and characters XML 1.0 forbids (most C0 controls, U+FFFE,
// U+FFFF), become U+FFFD so that the property list stays well-formed;
// everything else goes out unchanged, a run at a time, so that nothing the
// size of `text` is ever built.
void WriteXmlText(LineSink& out, std::string_view text);
