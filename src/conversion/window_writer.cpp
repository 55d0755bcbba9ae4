#include "window_writer.h"

#include "platform/string_helpers.h"
#include "plist_text.h"

namespace {

// Bottom-up position of a window whose top edge is `top` pixels below the top
// of the screen; 32-bit arithmetic with wrap-around, like the stored values,
// and no clamping (a window below the screen gets a negative position).
std::string BottomUpPosition(std::int32_t screenHeight, std::int32_t top, std::int32_t height) {
  const std::uint32_t y = static_cast<std::uint32_t>(screenHeight) -
                          static_cast<std::uint32_t>(top) - static_cast<std::uint32_t>(height) +
                          22u;
  return Str(static_cast<std::int32_t>(y));
}

}  // namespace

WindowGeometry DefaultWindowGeometry(std::int32_t screenHeight) {
  return {"10", BottomUpPosition(screenHeight, 50, 480), "640", "480"};
}

WindowGeometry WindowGeometryFromWPos(std::string_view wpos, std::int32_t screenHeight) {
  if (wpos.empty()) return DefaultWindowGeometry(screenHeight);
  const std::string tab = Chr(9);
  const std::int32_t top = DoubleToInt32(Val(NthField(wpos, tab, 2)));
  const std::int32_t height = DoubleToInt32(Val(NthField(wpos, tab, 4)));
  return {NthField(wpos, tab, 1), BottomUpPosition(screenHeight, top, height),
          NthField(wpos, tab, 3), Str(height)};
}

void WriteWindow(const WindowGeometry& geometry, LineSink& out) {
  const PlistEntry entries[] = {
      {"scrollH", PlistEntry::Real, 0},
      {"scrollV", PlistEntry::Real, 0},
      {"scrollX", PlistEntry::Real, 0},
      {"scrollY", PlistEntry::Real, 0},
      {"toolbar", PlistEntry::Integer, 1},
      {"winHeight", PlistEntry::RealText, 0, geometry.winHeight},
      {"winPosX", PlistEntry::RealText, 0, geometry.winPosX},
      {"winPosY", PlistEntry::RealText, 0, geometry.winPosY},
      {"winWidth", PlistEntry::RealText, 0, geometry.winWidth},
  };
  WritePlistHead(out);
  WritePlistEntries(out, entries);
  WritePlistTail(out);
}
