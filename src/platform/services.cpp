#include "platform/services.h"

namespace {

SilentServices gSilent;
Services* gCurrent = &gSilent;

}  // namespace

Services& CurrentServices() { return *gCurrent; }

Services* InstallServices(Services* services) {
  Services* previous = gCurrent;
  gCurrent = services ? services : &gSilent;
  return previous == &gSilent ? nullptr : previous;
}

DialogButton SilentServices::ShowCaution(const CautionDialog&) { return DialogButton::Cancel; }
void SilentServices::MsgBox(const std::string&) {}
void SilentServices::Beep() {}
bool SilentServices::ShowURL(const std::string&) { return false; }
bool SilentServices::Launch(const std::filesystem::path&) { return false; }
std::int32_t SilentServices::ScreenHeight() { return 900; }
void SilentServices::Yield() {}
std::optional<std::filesystem::path> SilentServices::SelectFolder(Window*) { return std::nullopt; }
std::optional<std::filesystem::path> SilentServices::OpenFile(Window*, const std::string&) {
  return std::nullopt;
}
std::optional<std::filesystem::path> SilentServices::SaveAs(Window*, const std::filesystem::path&,
                                                            const std::string&) {
  return std::nullopt;
}
