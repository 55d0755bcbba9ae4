#pragma once
// The package's `window`: the list window's place and size as a property list.

#include <cstdint>
#include <string>
#include <string_view>

#include "line_sink.h"

// The values as they go into the file. Left edge and width are the legacy
// resource's own text, viewed where it lies (a resource may be 16 MiB): the
// resource must outlive the geometry. Vertical position and height are
// numbers. The position is measured from the bottom of the screen, as the
// successor does.
struct WindowGeometry {
  std::string_view winPosX;
  std::string winPosY;
  std::string_view winWidth;
  std::string winHeight;
};

// The geometry of a document that keeps none: 640 x 480 at (10, 50) from the
// top of a screen `screenHeight` pixels high.
WindowGeometry DefaultWindowGeometry(std::int32_t screenHeight);
// The geometry a 'WPos' resource holds: left, top, width and height separated
// by TAB (further fields ignored), viewing `wpos`. An empty resource gives
// the default.
WindowGeometry WindowGeometryFromWPos(std::string_view wpos, std::int32_t screenHeight);

// Writes the 24 lines of `window`. Throws only what `out` throws.
void WriteWindow(const WindowGeometry& geometry, LineSink& out);
