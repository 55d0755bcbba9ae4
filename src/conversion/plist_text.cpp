#include "plist_text.h"

#include <string>

#include "platform/string_helpers.h"
#include "xml_text.h"

namespace {

// A line of a short text of our own: a key, or a number we formatted.
void WriteElement(LineSink& out, std::string_view tag, std::string_view text) {
  std::string line;
  line.reserve(2 * tag.size() + text.size() + 5);
  line.append("<").append(tag).append(">");
  line.append(text);
  line.append("</").append(tag).append(">");
  out.WriteLine(line);
}

// A line of text from the document, which may be megabytes long: escaped
// straight into `out`, never held whole.
void WriteEscapedElement(LineSink& out, std::string_view tag, std::string_view text) {
  out.Write("<");
  out.Write(tag);
  out.Write(">");
  WriteXmlText(out, text);
  out.Write("</");
  out.Write(tag);
  out.WriteLine(">");
}

}  // namespace

void WritePlistHead(LineSink& out) {
  out.WriteLine(R"(<?xml version="1.0" encoding="UTF-8"?>)");
  out.WriteLine(R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" )"
                R"("http://www.apple.com/DTDs/PropertyList-1.0.dtd">)");
  out.WriteLine(R"(<plist version="1.0">)");
  out.WriteLine("<dict>");
}

void WritePlistTail(LineSink& out) {
  out.WriteLine("</dict>");
  out.WriteLine("</plist>");
}

void WriteKey(LineSink& out, std::string_view key) { WriteElement(out, "key", key); }

void WritePlistEntries(LineSink& out, std::span<const PlistEntry> entries) {
  for (const PlistEntry& entry : entries) {
    WriteKey(out, entry.key);
    switch (entry.kind) {
      case PlistEntry::Integer:
        WriteElement(out, "integer", Str(entry.number));
        break;
      case PlistEntry::Real:
        WriteElement(out, "real", Str(entry.number));
        break;
      case PlistEntry::RealText:
        WriteEscapedElement(out, "real", entry.text);
        break;
      case PlistEntry::String:
        WriteEscapedElement(out, "string", entry.text);
        break;
    }
  }
}
