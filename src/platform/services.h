#pragma once
// What the core needs of the user interface and the desktop: dialogs, the
// beep, the screen, opening addresses and documents, and the cooperative
// yield. The Qt shell implements it, so the core never depends on Qt.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// A window of the shell (the main window, or a dialog on it), opaque to the
// core. A caution dialog given a window is shown as a sheet on it; given
// nullptr it is application-modal.
class Window {
 public:
  virtual ~Window() = default;
};

// A caution dialog: an action button that is always shown, and a cancel and
// an alternate button that are shown only when their flags are set.
struct CautionDialog {
  Window* window = nullptr;
  std::string actionCaption;
  bool cancelVisible = false;
  std::string cancelCaption;
  bool alternateVisible = false;
  std::string alternateCaption;
  std::string message;
  std::string explanation;
};

enum class DialogButton { Action, Cancel, Alternate };

class Services {
 public:
  virtual ~Services() = default;

  // Shows the dialog and returns only when the user has pressed a button.
  virtual DialogButton ShowCaution(const CautionDialog& dialog) = 0;
  // The plain modal message box.
  virtual void MsgBox(const std::string& text) = 0;
  virtual void Beep() = 0;
  // Opens the address in the web browser; false when none could be started.
  virtual bool ShowURL(const std::string& url) = 0;
  // Opens a document with its default application, in front; false when
  // none could be started.
  virtual bool Launch(const std::filesystem::path& document) = 0;
  // Height of the main screen in pixels.
  virtual std::int32_t ScreenHeight() = 0;
  // Lets the user interface repaint during long work; must not start another
  // command.
  virtual void Yield() = 0;

  // File dialogs, each a sheet on `window`; nullopt when the user cancels.
  virtual std::optional<std::filesystem::path> SelectFolder(Window* window) = 0;
  // `filter` names a registered file type ("List").
  virtual std::optional<std::filesystem::path> OpenFile(Window* window,
                                                        const std::string& filter) = 0;
  virtual std::optional<std::filesystem::path> SaveAs(Window* window,
                                                      const std::filesystem::path& initialFolder,
                                                      const std::string& suggestedName) = 0;
};

// Shows, opens and sounds nothing: every dialog gives its cancel button (file
// dialogs: nullopt), nothing opens (false) and the screen is 900 pixels
// high. The stand-in until a shell installs its own, and a base for services
// that answer only a few calls.
class SilentServices : public Services {
 public:
  DialogButton ShowCaution(const CautionDialog& dialog) override;
  void MsgBox(const std::string& text) override;
  void Beep() override;
  bool ShowURL(const std::string& url) override;
  bool Launch(const std::filesystem::path& document) override;
  std::int32_t ScreenHeight() override;
  void Yield() override;
  std::optional<std::filesystem::path> SelectFolder(Window* window) override;
  std::optional<std::filesystem::path> OpenFile(Window* window, const std::string& filter) override;
  std::optional<std::filesystem::path> SaveAs(Window* window,
                                              const std::filesystem::path& initialFolder,
                                              const std::string& suggestedName) override;
};

// The services in force; SilentServices until one is installed.
Services& CurrentServices();
// Installs `services` (not owned; nullptr restores the stand-in) and returns
// the one that was in force.
Services* InstallServices(Services* services);

// The cooperative yield, called once per iteration of every long loop.
inline void YieldToUI() { CurrentServices().Yield(); }
