#pragma once
// The services the core asks of the desktop, done with Qt: caution dialogs
// and file dialogs (Qt's own, in Japanese) as window-modal dialogs on the
// main window, the message box, the beep, the browser, the default
// application for a document, and the cooperative yield.

#include <QElapsedTimer>

#include "platform/services.h"

class QtServices : public Services {
 public:
  DialogButton ShowCaution(const CautionDialog& dialog) override;
  void MsgBox(const std::string& text) override;
  void Beep() override;
  bool ShowURL(const std::string& url) override;
  bool Launch(const std::filesystem::path& document) override;
  std::int32_t ScreenHeight() override;
  // Repaints at most every 20 ms and holds back the user's input, so that
  // no command can start inside another.
  void Yield() override;

  std::optional<std::filesystem::path> SelectFolder(Window* window) override;
  std::optional<std::filesystem::path> OpenFile(Window* window, const std::string& filter) override;
  // PackageSaveDialog: see there what it makes of an existing name.
  std::optional<std::filesystem::path> SaveAs(Window* window,
                                              const std::filesystem::path& initialFolder,
                                              const std::string& suggestedName) override;

 private:
  QElapsedTimer sinceYield_;
};
