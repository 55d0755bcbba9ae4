// Writes one small legacy list document with its AppleDouble sidecar (type
// "Tavr", creator "qZt5"), for runs of the program that need documents to
// find: columns A and B and the one row CELL,y; --multi makes it a
// multi-list document.
//
//   make_document OUT.tvr CELL [--multi]

#include <iostream>
#include <string>

#include "support/mac_bytes.h"

int main(int argc, char** argv) {
  const bool multi = argc == 4 && std::string(argv[3]) == "--multi";
  if (argc != 3 && !multi) {
    std::cerr << "usage: make_document OUT.tvr CELL [--multi]\n";
    return 2;
  }
  const mac_bytes::Document document = mac_bytes::Document::WithTable(
      {{0, "A", 0x00FF0000}, {0, "B", 0x000000FF}}, {{argv[2], "y"}}, multi ? 1 : 0);
  try {
    mac_bytes::WriteDocument(argv[1], document.Bytes());
  } catch (const std::exception& error) {
    std::cerr << "make_document: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
