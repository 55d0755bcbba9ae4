#include "file_types.h"

#include <algorithm>
#include <array>
#include <vector>

namespace FileTypes {

FileType* pPrefFile = nullptr;
FileType* pList = nullptr;
FileType* pAnyFile = nullptr;
FileType* pFolder = nullptr;
FileType* pApplAny = nullptr;
FileType* pTextFile = nullptr;
FileType* pListM = nullptr;

}  // namespace FileTypes

namespace {

std::vector<const FileType*> gRegistered;

std::array<FileType**, 7> Globals() {
  using namespace FileTypes;
  return {&pPrefFile, &pList, &pAnyFile, &pFolder, &pApplAny, &pTextFile, &pListM};
}

void Unregister(const FileType* type) {
  gRegistered.erase(std::remove(gRegistered.begin(), gRegistered.end(), type), gRegistered.end());
}

void Define(FileType*& global, FileType fields) {
  if (global) {
    Unregister(global);
    delete global;
  }
  global = new FileType(std::move(fields));
  gRegistered.push_back(global);
}

}  // namespace

void FileTypes::_Initialize() {
  Define(pPrefFile, {"PrefFile", "", "pref", "qZt5"});
  Define(pList, {"List", ".tvr", "Tavr", "qZt5"});
  Define(pAnyFile, {"anyFile", "", "????", "????"});
  Define(pFolder, {"Folder", "", "fold", "????"});
  Define(pApplAny, {"appl/any", ".exe", "APPL", "****"});
  Define(pTextFile, {"textFile", ".asc;.ascii;.text;.txt;.csv", "TEXT", "****"});
  Define(pListM, {"ListM", ".tvr", "Tavr", "qZt6"});
}

void FileTypes::_Release() {
  for (FileType** global : Globals()) {
    Unregister(*global);
    delete *global;
    *global = nullptr;
  }
}

const FileType* RegisteredFileType(const std::string& name) {
  for (const FileType* type : gRegistered) {
    if (type->Name == name) return type;
  }
  return nullptr;
}
