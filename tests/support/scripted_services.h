#pragma once
// A Services double for tests: logs every call and answers dialogs from
// scripted queues. An unscripted caution answers Action, an unscripted file
// dialog cancels; addresses and documents open unless `opens` is false.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

class ScriptedServices : public Services {
 public:
  // Installs itself for the lifetime of the object.
  ScriptedServices() : previous_(InstallServices(this)) {}
  ~ScriptedServices() override { InstallServices(previous_); }

  std::deque<DialogButton> cautionAnswers;
  // The folder, open and save dialogs' answers, in the order they are shown.
  std::deque<std::optional<std::filesystem::path>> fileAnswers;
  std::int32_t screenHeight = 900;
  bool opens = true;

  std::vector<CautionDialog> cautions;
  // Every call but the yield: "caution MESSAGE", "beep", "msgbox TEXT",
  // "url ADDRESS", "launch PATH", "folder", "open FILTER", "save FOLDER NAME".
  std::vector<std::string> log;
  std::int64_t yields = 0;

  DialogButton ShowCaution(const CautionDialog& dialog) override {
    log.push_back("caution " + dialog.message);
    cautions.push_back(dialog);
    if (cautionAnswers.empty()) return DialogButton::Action;
    const DialogButton answer = cautionAnswers.front();
    cautionAnswers.pop_front();
    return answer;
  }
  void MsgBox(const std::string& text) override { log.push_back("msgbox " + text); }
  void Beep() override { log.push_back("beep"); }
  bool ShowURL(const std::string& url) override {
    log.push_back("url " + url);
    return opens;
  }
  bool Launch(const std::filesystem::path& document) override {
    log.push_back("launch " + document.string());
    return opens;
  }
  std::int32_t ScreenHeight() override { return screenHeight; }
  void Yield() override { ++yields; }
  std::optional<std::filesystem::path> SelectFolder(Window*) override { return Answer("folder"); }
  std::optional<std::filesystem::path> OpenFile(Window*, const std::string& filter) override {
    return Answer("open " + filter);
  }
  std::optional<std::filesystem::path> SaveAs(Window*, const std::filesystem::path& initialFolder,
                                              const std::string& suggestedName) override {
    return Answer("save " + initialFolder.string() + " " + suggestedName);
  }

 private:
  std::optional<std::filesystem::path> Answer(const std::string& call) {
    log.push_back(call);
    if (fileAnswers.empty()) return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }

  Services* previous_;
};
