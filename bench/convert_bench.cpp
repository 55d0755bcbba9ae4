// Converts documents the way a batch into another folder does and reports
// the throughput:
//
//   convert_bench [--screen-height N] [--legacy-prefs FILE] OUTDIR DOC...
//
// Each DOC becomes OUTDIR/<DOC's name>.tvrmd, converted in order by one
// converter. Cautions go to standard error, one line each:
// "CAUTION<TAB>message<TAB>explanation" (line breaks and TABs written as \n,
// \r and \t, so that the line always has three fields). Standard
// output gets one line: documents, input bytes, seconds, MB/s, peak memory. The exit
// status is 0 whenever the run itself worked, whatever the documents gave.

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "platform/services.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"

namespace {

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

class BenchServices final : public SilentServices {
 public:
  explicit BenchServices(std::int32_t screenHeight) : screenHeight_(screenHeight) {}
  DialogButton ShowCaution(const CautionDialog& d) override {
    std::cerr << "CAUTION\t" << OneLine(d.message) << '\t' << OneLine(d.explanation) << '\n';
    return DialogButton::Action;
  }
  void MsgBox(const std::string& text) override {
    std::cerr << "MSGBOX\t" << OneLine(text) << '\n';
  }
  std::int32_t ScreenHeight() override { return screenHeight_; }

 private:
  std::int32_t screenHeight_;
};

int Usage() {
  std::cerr << "usage: convert_bench [--screen-height N] [--legacy-prefs FILE] OUTDIR DOC...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::int32_t screenHeight = 900;
  std::string legacyPrefs;
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
    const std::string option = argv[i];
    if (option == "--screen-height")
      screenHeight = std::atoi(argv[i + 1]);
    else if (option == "--legacy-prefs")
      legacyPrefs = argv[i + 1];
    else
      return Usage();
  }
  if (argc - i < 2) return Usage();
  const std::filesystem::path outDir = argv[i++];

  BenchServices services(screenHeight);
  InstallServices(&services);
  InitVal();
  if (!legacyPrefs.empty()) LoadPrefFrom(FolderItem(legacyPrefs));

  ListConverter converter;
  std::uint64_t inputBytes = 0;
  int documents = 0;
  const auto start = std::chrono::steady_clock::now();
  for (; i < argc; ++i) {
    const FolderItem source{std::filesystem::path(argv[i])};
    std::error_code ignored;
    const auto size = std::filesystem::file_size(source.Path(), ignored);
    if (!ignored) inputBytes += size;
    converter.FileConv(source, FolderItem(outDir).Child(source.Name() + ".tvrmd"));
    ++documents;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("documents=%d input_bytes=%llu seconds=%.3f MB/s=%.1f peak_KiB=%ld\n", documents,
              static_cast<unsigned long long>(inputBytes), seconds,
              seconds > 0 ? inputBytes / seconds / 1e6 : 0.0, usage.ru_maxrss);
  InstallServices(nullptr);
  return 0;
}
