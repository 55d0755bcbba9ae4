#pragma once
// The text layout the three property lists of a package share: one element
// per line, no indentation, LF after every line.

#include <cstdint>
#include <span>
#include <string_view>

#include "line_sink.h"

// The XML declaration, the DOCTYPE, <plist version="1.0"> and the outer <dict>.
void WritePlistHead(LineSink& out);
// The outer </dict> and </plist>.
void WritePlistTail(LineSink& out);

// "<key>KEY</key>"; keys are our own ASCII names or decimal numbers.
void WriteKey(LineSink& out, std::string_view key);

// A key line and its value line. Numbers are written as plain decimal, in
// <real> too (the successor reads whole numbers there); text is escaped
// as it is written, and must outlive the entry.
struct PlistEntry {
  enum Kind {
    Integer,   // "<integer>N</integer>"
    Real,      // "<real>N</real>"
    RealText,  // "<real>TEXT</real>": a number the document gave as text
    String,    // "<string>TEXT</string>", TEXT UTF-8
  };
  std::string_view key;
  Kind kind;
  std::int64_t number = 0;
  std::string_view text = {};
};

// The lines of each entry, in the order given.
void WritePlistEntries(LineSink& out, std::span<const PlistEntry> entries);
