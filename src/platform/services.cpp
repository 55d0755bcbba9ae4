#include "services.h"

namespace {

class SilentServices final : public Services {
 public:
  DialogButton ShowCaution(const CautionDialog&) override { return DialogButton::Cancel; }
  void MsgBox(const std::string&) override {}
  void Beep() override {}
  void ShowURL(const std::string&) override {}
  void Launch(const std::filesystem::path&) override {}
  std::int32_t ScreenHeight() override { return 900; }
  void Yield() override {}
  std::optional<std::filesystem::path> SelectFolder(Window*) override { return std::nullopt; }
  std::optional<std::filesystem::path> OpenFile(Window*, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> SaveAs(Window*, const std::filesystem::path&,
                                              const std::string&) override {
    return std::nullopt;
  }
};

SilentServices gSilent;
Services* gCurrent = &gSilent;

}  // namespace

Services& CurrentServices() { return *gCurrent; }

Services* InstallServices(Services* services) {
  Services* previous = gCurrent;
  gCurrent = services ? services : &gSilent;
  return previous == &gSilent ? nullptr : previous;
}
