#pragma once
// Start-up values and the legacy application's preference file.

#include <filesystem>

class FolderItem;

// Sets gListCre and gPrefName and builds the cached text converters.
void InitVal();
// Reads "pref" in the folder gPrefName of the user's Preferences folder into
// gPref and gPrefS. Always completes silently: a missing or unreadable file
// leaves the settings as they were, a file that ends early keeps what was
// read before the end, entries past the arrays are read and ignored.
void LoadPref();
// The same reader on a given file.
void LoadPrefFrom(const FolderItem& file);

// ~/Library/Preferences on macOS, $XDG_CONFIG_HOME (default ~/.config) elsewhere.
std::filesystem::path PreferencesFolder();
