#pragma once
// Program-wide settings and the small helpers every part of the program uses.

#include <array>
#include <cstdint>
#include <string>

class FolderItem;
class Window;

// The legacy application's settings, filled once at start-up by LoadPref.
// Slot 10 = 1: beep before every caution dialog; 21: scrollKind; 22: winGeo.
extern std::array<std::int32_t, 51> gPref;
extern std::array<std::string, 21> gPrefS;
// The creator code of a convertible document ("qZt5" once the window opens).
extern std::string gListCre;
// The type code of a legacy list document, single- or multi-list alike.
inline const std::string kListType = "Tavr";
// The name extension of a document package folder.
inline const std::string kPackageExtension = ".tvrmd";
// The legacy preference folder's name ("Tavrin初期設定" once the window opens).
extern std::string gPrefName;

// The caution dialog with 1 to 3 buttons: a sheet on `window`, or
// application-modal when it is nullptr. Returns 2 for the action button, 0
// for the alternate button, 1 for anything else.
std::int32_t gCautionDlg(Window* window, std::int32_t buttonCount, const std::string& actionCaption,
                         const std::string& cancelCaption, const std::string& alternateCaption,
                         const std::string& message, const std::string& explanation);
// The one-button form, its button captioned "OK".
void gCautionDlg1(Window* window, const std::string& message, const std::string& explanation);

// True when the file's Mac creator and type codes equal both codes; the type
// is read only when the creator matches.
bool gFileMatch(const FolderItem& file, const std::string& creator, const std::string& type);

// The `count`-bit field of `value` that starts at bit `start` (bit 0 least
// significant); a field that includes bit 31 comes back sign-extended.
std::int32_t gBitR(std::int32_t value, std::int32_t start, std::int32_t count);

// Clears every global above back to its start-of-run value: what a run
// holds is released at program end, and a later run starts clean.
void gReleaseGlobals();
