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
  WritePlistHead(out);
  for (const char* scroll : {"scrollH", "scrollV", "scrollX", "scrollY"}) {
    WriteKey(out, scroll);
    WriteReal(out, 0);
  }
  WriteKey(out, "toolbar");
  WriteInteger(out, 1);
  WriteKey(out, "winHeight");
  WriteRealText(out, geometry.winHeight);
  WriteKey(out, "winPosX");
  WriteRealText(out, geometry.winPosX);
  WriteKey(out, "winPosY");
  WriteRealText(out, geometry.winPosY);
  WriteKey(out, "winWidth");
  WriteRealText(out, geometry.winWidth);
  WritePlistTail(out);
}
