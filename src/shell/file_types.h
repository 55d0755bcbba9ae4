#pragma once
// The file types the program declares. Only "List" is ever named: it is the
// filter of the open dialog of a single conversion.

#include <string>

struct FileType {
  std::string Name;
  std::string Extensions;  // each with its leading ".", joined by ";"
  std::string MacType;     // four-character codes
  std::string MacCreator;
};

namespace FileTypes {

// The seven types, in registration order; empty until _Initialize.
extern FileType* pPrefFile;
extern FileType* pList;
extern FileType* pAnyFile;
extern FileType* pFolder;
extern FileType* pApplAny;
extern FileType* pTextFile;
extern FileType* pListM;

// Makes and registers the seven types (once, at start-up).
void _Initialize();
// Unregisters and releases them, in registration order (at exit).
void _Release();

}  // namespace FileTypes

// The registered type of that name, or nullptr.
const FileType* RegisteredFileType(const std::string& name);
