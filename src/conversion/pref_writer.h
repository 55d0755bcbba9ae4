#pragma once
// The package's `pref`: the list's display settings as a property list.

#include <array>
#include <cstdint>
#include <string>

#include "line_sink.h"

// Writes the 40 lines of `pref` from the document's preference numbers and
// strings and the program's settings (`scrollKind` and `winGeo` come from
// `gPref`). The font name `pPrefS`(0) is Mac OS Japanese and is written as
// UTF-8. Throws only what `out` throws.
void WritePref(const std::array<std::int32_t, 51>& pPref, const std::array<std::string, 21>& pPrefS,
               const std::array<std::int32_t, 51>& gPref, LineSink& out);
