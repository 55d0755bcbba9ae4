#include "globals.h"

#include <algorithm>
#include <cmath>

#include "platform/folder_item.h"
#include "platform/services.h"
#include "platform/string_helpers.h"

std::array<std::int32_t, 51> gPref{};
std::array<std::string, 21> gPrefS{};
std::string gListCre;
std::string gPrefName;

std::int32_t gCautionDlg(Window* window, std::int32_t buttonCount, const std::string& actionCaption,
                         const std::string& cancelCaption, const std::string& alternateCaption,
                         const std::string& message, const std::string& explanation) {
  // The beep is sounded here, before the dialog is shown, so that the shell's
  // dialog need not know the setting.
  if (gPref[10] == 1) CurrentServices().Beep();
  CautionDialog dialog;
  dialog.window = window;
  dialog.actionCaption = actionCaption;
  if (buttonCount > 1) {
    dialog.cancelVisible = true;
    dialog.cancelCaption = cancelCaption;
  }
  if (buttonCount > 2) {
    dialog.alternateVisible = true;
    dialog.alternateCaption = alternateCaption;
  }
  dialog.message = message;
  dialog.explanation = explanation;
  switch (CurrentServices().ShowCaution(dialog)) {
    case DialogButton::Action:
      return 2;
    case DialogButton::Alternate:
      return 0;
    case DialogButton::Cancel:
      break;
  }
  return 1;
}

void gCautionDlg1(Window* window, const std::string& message, const std::string& explanation) {
  gCautionDlg(window, 1, "OK", "", "", message, explanation);
}

bool gFileMatch(const FolderItem& file, const std::string& creator, const std::string& type) {
  // The type code is read only for a file whose creator matches: a folder
  // scan meets many files of other applications.
  if (file.MacCreator() != creator) return false;
  return file.MacType() == type;
}

std::int32_t gBitR(std::int32_t value, std::int32_t start, std::int32_t count) {
  // The mask holds the bits start .. start + count - 1 that fit in 64 bits; a
  // negative bit is a fraction below 1 and adds nothing.
  const std::int64_t low = std::max<std::int64_t>(start, 0);
  const std::int64_t high = std::min<std::int64_t>(std::int64_t{start} + count, 64);
  std::uint64_t mask = 0;
  if (high > low) {
    const std::uint64_t below = high == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << high) - 1;
    mask = below & ~((std::uint64_t{1} << low) - 1);
  }
  const auto widened = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
  const auto x = static_cast<std::int32_t>(static_cast<std::uint32_t>(widened & mask));
  // 2 to the power start as an Int32: 0 below bit 0, the Int32 bound from bit 31 on.
  const std::int32_t divisor = DoubleToInt32(std::ldexp(1.0, start));
  if (divisor == 0) return 0;
  return x / divisor;  // the divisor is positive, so this cannot overflow
}

void gReleaseGlobals() {
  gPref.fill(0);
  for (auto& text : gPrefS) text.clear();
  gListCre.clear();
  gPrefName.clear();
}
