#pragma once
// A Services double for tests: records every call in order and answers
// dialogs from scripted queues. An unscripted caution answers Action; an
// unscripted file dialog answers "cancel"; addresses and documents open.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

class ScriptedServices : public Services {
 public:
  struct Shown {
    CautionDialog dialog;
    DialogButton answer;
  };

  // Installs itself for the lifetime of the object.
  ScriptedServices() : previous_(InstallServices(this)) {}
  ~ScriptedServices() override { InstallServices(previous_); }

  std::deque<DialogButton> cautionAnswers;
  std::deque<std::optional<std::filesystem::path>> folderAnswers;
  std::deque<std::optional<std::filesystem::path>> openAnswers;
  std::deque<std::optional<std::filesystem::path>> saveAnswers;
  std::int32_t screenHeight = 900;

  std::vector<Shown> cautions;
  std::vector<std::string> messageBoxes;
  std::vector<std::string> urls;
  std::vector<std::filesystem::path> launched;
  std::vector<std::string> openFilters;
  struct SaveRequest {
    std::filesystem::path initialFolder;
    std::string suggestedName;
  };
  std::vector<SaveRequest> saveRequests;
  // Every call, in order: "caution", "beep", "msgbox", "url", "launch",
  // "folder", "open", "save" (yields are counted, not logged).
  std::vector<std::string> log;
  std::int64_t yields = 0;

  DialogButton ShowCaution(const CautionDialog& dialog) override {
    log.push_back("caution");
    DialogButton answer = DialogButton::Action;
    if (!cautionAnswers.empty()) {
      answer = cautionAnswers.front();
      cautionAnswers.pop_front();
    }
    cautions.push_back({dialog, answer});
    return answer;
  }
  void MsgBox(const std::string& text) override {
    log.push_back("msgbox");
    messageBoxes.push_back(text);
  }
  void Beep() override { log.push_back("beep"); }
  bool ShowURL(const std::string& url) override {
    log.push_back("url");
    urls.push_back(url);
    return true;
  }
  bool Launch(const std::filesystem::path& document) override {
    log.push_back("launch");
    launched.push_back(document);
    return true;
  }
  std::int32_t ScreenHeight() override { return screenHeight; }
  void Yield() override { ++yields; }
  std::optional<std::filesystem::path> SelectFolder(Window*) override {
    log.push_back("folder");
    return Next(folderAnswers);
  }
  std::optional<std::filesystem::path> OpenFile(Window*, const std::string& filter) override {
    log.push_back("open");
    openFilters.push_back(filter);
    return Next(openAnswers);
  }
  std::optional<std::filesystem::path> SaveAs(Window*, const std::filesystem::path& initialFolder,
                                              const std::string& suggestedName) override {
    log.push_back("save");
    saveRequests.push_back({initialFolder, suggestedName});
    return Next(saveAnswers);
  }

 private:
  static std::optional<std::filesystem::path> Next(
      std::deque<std::optional<std::filesystem::path>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }

  Services* previous_;
};
