#pragma once
// Folder trees of legacy documents for the workflow tests, made with the
// shared document builder, and snapshots that prove the sources untouched.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace workflow {

// A version-1 document with columns A and B and the one row `cell`,"y".
std::string SmallDocument(bool multi, const std::string& cell);

// Writes the data fork and a "._NAME" sidecar with these codes and Finder
// flags (0x4000: invisible) and a 'WPos' resource.
void WriteDocument(const std::filesystem::path& path, const std::string& bytes,
                   const std::string& type = "Tavr", const std::string& creator = "qZt5",
                   std::uint16_t finderFlags = 0);
// Writes the data fork with its codes in the Netatalk metadata attribute;
// false when the file system refuses extended attributes.
bool WriteDocumentWithAttribute(const std::filesystem::path& path, const std::string& bytes);
// A folder that the Finder hides, by the flag in its sidecar.
void MakeInvisibleFolder(const std::filesystem::path& path);

// Every file below `root` (packages left out) with its bytes, and the
// extended attributes of each, so that any change shows as a difference.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root);
// The files of a package folder, by name, with their bytes.
std::map<std::string, std::string> PackageFiles(const std::filesystem::path& package);

}  // namespace workflow
