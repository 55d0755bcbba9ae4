// Times the folder scan against `find DIR -type f` on the same tree, in one
// run, and prints the ratio:
//
//   taskset -c 0 scan_bench [--keep] [--runs N] [--stages] [DIR]
//
// Without DIR a tree is generated under /tmp (and removed afterwards unless
// --keep): 100,000 files in 1,000 folders, 1,000 of them legacy documents
// whose codes are in AppleDouble sidecars and 100 in extended attributes
// (user.org.netatalk.Metadata). The scan is the program's own: file items,
// their metadata, CheckMulti, and a row's texts for each document. Each side
// runs once to warm the caches, then N times (default 3); the best time of
// each counts. --stages also times the walk with less work per entry, to show
// where the time goes.

#include <sys/resource.h>
#include <sys/xattr.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"
#include "shell/core/document_scan.h"
#include "support/mac_bytes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTopFolders = 10;
constexpr int kFoldersEach = 99;  // 10 + 10 x 99 = 1,000 folders
constexpr int kFilesPerFolder = 100;

struct TreeCounts {
  int folders = 0, files = 0, sidecarDocuments = 0, attributeDocuments = 0;
};

std::string Document(bool multi) {
  return mac_bytes::Document::WithTable({{0, "A", 0}, {0, "B", 0}}, {{"x", "y"}}, multi ? 1 : 0)
      .Bytes();
}

// One folder's 100 files: a document with a sidecar first, in every tenth
// folder a document with its codes in an extended attribute, then plain files.
void FillFolder(const fs::path& folder, int number, bool& attributesWork, TreeCounts& counts) {
  fs::create_directories(folder);
  ++counts.folders;
  mac_bytes::WriteDocument(folder / "list.tvr", Document(number % 2 == 0));
  ++counts.sidecarDocuments;
  int plainFrom = 1;
  if (number % 10 == 0 && attributesWork) {
    const fs::path document = folder / "attribute list.tvr";
    WriteBytes(document, Document(false));
    const std::string metadata = mac_bytes::SidecarBytes(std::nullopt);
    if (::setxattr(document.c_str(), "user.org.netatalk.Metadata", metadata.data(), metadata.size(),
                   0) == 0) {
      ++counts.attributeDocuments;
    } else {
      std::cerr << "extended attributes refused here: the tree has no such documents\n";
      attributesWork = false;
    }
    plainFrom = 2;
  }
  const std::string text(64, 't');
  for (int i = plainFrom; i < kFilesPerFolder; ++i) {
    WriteBytes(folder / ("note " + std::to_string(i) + ".txt"), text);
  }
  counts.files += kFilesPerFolder;
}

TreeCounts MakeTree(const fs::path& root) {
  TreeCounts counts;
  bool attributesWork = true;
  int number = 0;
  for (int top = 0; top < kTopFolders; ++top) {
    const fs::path topFolder = root / ("folder " + std::to_string(top));
    FillFolder(topFolder, number++, attributesWork, counts);
    for (int sub = 0; sub < kFoldersEach; ++sub) {
      FillFolder(topFolder / ("sub " + std::to_string(sub)), number++, attributesWork, counts);
    }
  }
  return counts;
}

// User and system time of this process's threads (or of its waited-for
// children), in seconds.
double CpuSeconds(int who) {
  struct rusage usage;
  ::getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double wall = 1e300;  // the best run
  double cpu = 0;       // per run, on average
};

// `who` says whose processor time the work spends: RUSAGE_SELF for work done
// here, RUSAGE_CHILDREN for a program it runs.
Timing Best(int runs, const std::function<void()>& work, int who = RUSAGE_SELF) {
  work();  // warms the caches
  Timing timing;
  const double cpuBefore = CpuSeconds(who);
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    timing.wall = std::min(timing.wall, wall.count());
  }
  timing.cpu = (CpuSeconds(who) - cpuBefore) / runs;
  return timing;
}

// The texts of one list row.
struct Row {
  std::string name, kind, path;
};

// The program's scan, with the texts of every row; `isMulti` is CheckMulti
// or, to see what it costs, a stand-in.
int Scan(const fs::path& root, const DocumentScan::IsMulti& isMulti, std::vector<Row>& rows) {
  rows.clear();
  DocumentScan scan(isMulti, [&](const FolderItem& file, bool multi) {
    rows.push_back({file.Name(), multi ? "マルチ" : "シングル", file.AbsolutePath()});
  });
  scan.Walk(FolderItem(root));
  return static_cast<int>(rows.size());
}

// The same walk by hand, doing only the first steps for each entry.
int WalkOnly(const FolderItem& folder, bool matchCodes) {
  int matched = 0;
  for (std::int32_t i = 1; i <= folder.Count(); ++i) {
    const FolderItem entry = folder.Item(i);
    if (entry.Directory()) {
      if (!matchCodes || entry.Visible()) matched += WalkOnly(entry, matchCodes);
    } else if (matchCodes && gFileMatch(entry, gListCre, kListType)) {
      ++matched;
    }
  }
  return matched;
}

void PrintStages(const fs::path& root, int runs, double scan) {
  int count = 0;
  const double listing = Best(runs, [&] { count = WalkOnly(FolderItem(root), false); }).wall;
  const double codes = Best(runs, [&] { count = WalkOnly(FolderItem(root), true); }).wall;
  std::vector<Row> rows;
  const double noMulti = Best(runs, [&] {
                           Scan(
                               root, [](const FolderItem&) { return false; }, rows);
                         }).wall;
  std::printf("stage  items only (Count, Item, Directory)   %.3f s\n", listing);
  std::printf("stage  + Visible and creator/type codes       %.3f s (%d documents)\n", codes,
              count);
  std::printf("stage  the scan without CheckMulti            %.3f s\n", noMulti);
  std::printf("stage  the scan                               %.3f s\n", scan);
}

int Usage() {
  std::cerr << "usage: scan_bench [--keep] [--runs N] [--stages] [DIR]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool keep = false, stages = false;
  int runs = 3;
  fs::path root;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep")
      keep = true;
    else if (arg == "--stages")
      stages = true;
    else if (arg == "--runs" && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (arg[0] == '-')
      return Usage();
    else
      root = arg;
  }
  InitVal();  // the creator code and the converters, as the window's opening sets them

  const bool generated = root.empty();
  if (generated) {
    char pattern[] = "/tmp/scan_bench.XXXXXX";
    if (!::mkdtemp(pattern)) return Usage();
    root = pattern;
    std::cout << "generating under " << root << " ..." << std::flush;
    const TreeCounts counts = MakeTree(root);
    std::printf(
        " %d folders, %d files (+%d sidecars); documents: %d with sidecars, %d in attributes\n",
        counts.folders, counts.files, counts.sidecarDocuments, counts.sidecarDocuments,
        counts.attributeDocuments);
  }

  ListConverter converter;
  std::vector<Row> list;
  int rows = 0;
  const auto checkMulti = [&](const FolderItem& file) { return converter.CheckMulti(file); };
  const Timing scan = Best(runs, [&] { rows = Scan(root, checkMulti, list); });
  const std::string find = "find '" + root.string() + "' -type f > /dev/null";
  const Timing reference = Best(
      runs,
      [&] {
        if (std::system(find.c_str()) != 0) std::cerr << "find failed\n";
      },
      RUSAGE_CHILDREN);
  std::printf("scan   %.3f s  (%d rows; processor time %.3f s)\n", scan.wall, rows, scan.cpu);
  std::printf("find   %.3f s  (processor time %.3f s)\n", reference.wall, reference.cpu);
  std::printf("ratio  %.2f  (goal on one processor: at most 5; processor time %.2f)\n",
              scan.wall / reference.wall, scan.cpu / reference.cpu);
  if (stages) PrintStages(root, runs, scan.wall);

  if (generated && !keep) fs::remove_all(root);
  return 0;
}
