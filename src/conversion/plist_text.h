#pragma once
// The text layout the three property lists of a package share: one element
// per line, no indentation, LF after every line.

#include <cstdint>
#include <string_view>

#include "line_sink.h"

// The XML declaration, the DOCTYPE, <plist version="1.0"> and the outer <dict>.
void WritePlistHead(LineSink& out);
// The outer </dict> and </plist>.
void WritePlistTail(LineSink& out);

// "<key>KEY</key>"; keys are our own ASCII names or decimal numbers.
void WriteKey(LineSink& out, std::string_view key);
// "<integer>N</integer>" and "<real>N</real>", N as plain decimal; the
// successor reads whole numbers in <real> too.
void WriteInteger(LineSink& out, std::int64_t value);
void WriteReal(LineSink& out, std::int64_t value);
// "<real>TEXT</real>" for a number the document gave as text; escaped.
void WriteRealText(LineSink& out, std::string_view text);
// "<string>TEXT</string>", TEXT UTF-8; escaped.
void WriteString(LineSink& out, std::string_view text);
