// The folder scan and the conversion commands, end to end through the main
// window: its actions are triggered by name and the scripted services answer
// the dialogs. Snapshots of the sources, their sidecars and extended
// attributes prove them untouched.

#include <sys/xattr.h>

#include <fstream>
#include <set>
#include <sstream>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

const char* const kDone = "変換が完了しました。";
const char* const kNotConverted = "書類を変換できませんでした。";

QString Text(const fs::path& path) { return QString::fromStdString(path.string()); }

std::string ReadAll(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// A document with columns A and B and the one row `cell`,"y", and a sidecar
// with these codes, Finder flags (0x4000: invisible) and a 'WPos' resource.
void WriteDocument(const fs::path& path, const std::string& cell, bool multi = false,
                   const std::string& type = "Tavr", const std::string& creator = "qZt5",
                   std::uint16_t flags = 0) {
  legacy::WriteBytes(path, legacy::Document::WithTable({{0, "A", 0x00FF0000}, {0, "B", 0x000000FF}},
                                                       {{cell, "y"}}, multi).Bytes());
  std::string sidecar = legacy::AppleDoubleBytes(legacy::WPosFork("10\t60\t400\t300"), type, creator);
  sidecar[58] = static_cast<char>(flags >> 8);  // Finder info at 50, after two entries; flags at 8
  sidecar[59] = static_cast<char>(flags & 0xFF);
  legacy::WriteBytes(legacy::SidecarPath(path), sidecar);
}

// Every file below `root` (packages left out) with its bytes and extended
// attributes, and every symbolic link with its target.
Files Snapshot(const fs::path& root) {
  Files files;
  auto walk = fs::recursive_directory_iterator(root);
  for (auto entry = begin(walk); entry != end(walk); ++entry) {
    const std::string path = entry->path().string();
    if (entry->path().extension() == ".tvrmd") {
      entry.disable_recursion_pending();
    } else if (entry->is_symlink()) {
      files[path] = "-> " + fs::read_symlink(entry->path()).string();
    } else if (entry->is_regular_file()) {
      files[path] = ReadAll(entry->path()) + "|";
      std::vector<char> names(4096), value(65536);
      const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
      for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::lgetxattr(path.c_str(), name, value.data(), value.size());
        files[path] += std::string(name) + "=" + std::string(value.data(), std::max<ssize_t>(length, 0));
      }
    }
  }
  return files;
}

Files PackageFiles(const fs::path& package) {
  Files files;
  if (!fs::is_directory(package)) return files;
  for (const auto& entry : fs::directory_iterator(package)) {
    files[entry.path().filename().string()] = ReadAll(entry.path());
  }
  return files;
}

// The package holds the four files, its csv carries the document's row, and
// it matches what the converter makes of the same source on its own.
void VerifyPackage(const fs::path& package, const fs::path& source, const std::string& cell) {
  const Files files = PackageFiles(package);
  QCOMPARE(files.size(), std::size_t{4});
  QCOMPARE(QString::fromStdString(files.at("csv")), QString::fromStdString(cell + ",y\n"));
  QTemporaryDir reference;
  const fs::path expected = fs::path(reference.path().toStdString()) / "expected.tvrmd";
  QVERIFY(ListConverter().FileConv(FolderItem(source), FolderItem(expected)));
  QVERIFY(files == PackageFiles(expected));
}

// Every row as name, kind, path; a row without its picture is marked.
QList<QStringList> Rows() {
  QList<QStringList> rows;
  for (int row = 0; row < List()->ListCount(); ++row) {
    rows << QStringList{List()->Cell(row, 0), List()->Cell(row, 1), List()->Cell(row, 2)};
    if (List()->Rows()->item(row, 0)->icon().isNull()) rows.back() << QStringLiteral("no picture");
  }
  return rows;
}

QList<int> SelectedRows() {
  QList<int> rows;
  for (int row = 0; row < List()->ListCount(); ++row) if (List()->Selected(row)) rows << row;
  return rows;
}

QStringList Messages(const ScriptedServices& services) {
  QStringList messages;
  for (const auto& shown : services.cautions) messages << QString::fromStdString(shown.dialog.message);
  return messages;
}

void Scan(const fs::path& folder) {
  ScriptedServices services;
  services.folderAnswers.push_back(folder);
  Command("ToolItem1")->trigger();
}

// Documents at several depths, and everything that the scan passes over.
class Tree {
 public:
  Tree() : root_(fs::path(dir_.path().toStdString()) / "tree") {
    fs::create_directories(root_ / "2 sub" / "3 deeper");
    WriteDocument(root_ / "1 top.tvr", "top");
    WriteDocument(root_ / "2 sub" / "3 deeper" / "bottom.tvr", "bottom");
    WriteDocument(root_ / "2 sub" / "deep.tvr", "deep", true);
    fs::create_directory_symlink(root_, root_ / "2 sub" / "loop");
    WriteDocument(root_ / "4 after.tvr", "after", true);
    fs::create_directory(root_ / "5 hidden");  // invisible by the Finder flag in its sidecar
    std::string hidden = legacy::AppleDoubleBytes(std::nullopt, std::string(4, '\0'), std::string(4, '\0'));
    hidden[46] = 0x40;  // Finder info at 38, after one entry; flags at 8
    legacy::WriteBytes(legacy::SidecarPath(root_ / "5 hidden"), hidden);
    WriteDocument(root_ / "5 hidden" / "inside.tvr", "no");
    fs::create_directory(root_ / ".dot folder");
    WriteDocument(root_ / ".dot folder" / "dotted.tvr", "no");
    WriteDocument(root_ / "6 invisible.tvr", "invisible", false, "Tavr", "qZt5", 0x4000);
    WriteDocument(root_ / "7 other creator.tvr", "no", false, "Tavr", "qZt6");
    WriteDocument(root_ / "8 other type.tvr", "no", false, "TEXT");
    // The codes in the Netatalk attribute, where the file system takes one.
    legacy::WriteBytes(root_ / "9 attribute.tvr", ReadAll(root_ / "1 top.tvr"));
    const std::string metadata = legacy::AppleDoubleBytes(std::nullopt);
    withAttribute_ = ::setxattr((root_ / "9 attribute.tvr").c_str(), "user.org.netatalk.Metadata",
                                metadata.data(), metadata.size(), 0) == 0;
    fs::create_directory_symlink("2 sub", root_ / "link to sub");
  }

  const fs::path& root() const { return root_; }
  fs::path operator/(const fs::path& relative) const { return root_ / relative; }

  // Name, kind and path of every row the scan lists, in order.
  QList<QStringList> ExpectedRows() const {
    const std::pair<const char*, const char*> listed[] = {
        {"1 top.tvr", "シングル"},   {"2 sub/3 deeper/bottom.tvr", "シングル"},
        {"2 sub/deep.tvr", "マルチ"}, {"4 after.tvr", "マルチ"},
        {"6 invisible.tvr", "シングル"}, {"9 attribute.tvr", "シングル"}};
    QList<QStringList> rows;
    for (auto [path, kind] : listed) rows << QStringList{Text(fs::path(path).filename()), kind, Text(root_ / path)};
    if (!withAttribute_) rows.removeLast();
    return rows;
  }

 private:
  QTemporaryDir dir_;
  fs::path root_;
  bool withAttribute_ = false;
};

// Tries to start other commands from inside the first one's yield.
class IntrudingServices : public ScriptedServices {
 public:
  void Yield() override {
    ScriptedServices::Yield();
    Command("ToolItem1")->trigger();
    Command("FileOpen")->trigger();
  }
};

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { List()->DeleteAllRows(); }

  void scanListsDocumentsDepthFirstAndOnlyANewFolderReplacesThem() {
    Tree tree;
    ScriptedServices services;
    services.folderAnswers = {tree.root(), std::nullopt, tree / "2 sub"};
    Command("ToolItem1")->trigger();
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>());
    SelectRows({1, 3});
    Command("FileOpenFolder")->trigger();  // cancelled: the list stays
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>({1, 3}));
    Command("ToolItem1")->trigger();  // rows start again from the top
    QCOMPARE(Rows(), tree.ExpectedRows().mid(1, 2));
    QCOMPARE(services.log, (Log{"folder", "folder", "folder"}));  // no message
  }

  // A row whose document is gone or unreadable is reported and the batch goes
  // on; rows not selected are left alone, and no other command starts.
  void batchBesideTheSourcesConvertsTheSelectedRowsOnly() {
    Tree tree;
    Scan(tree.root());
    fs::remove(tree / "1 top.tvr");
    legacy::WriteBytes(tree / "2 sub" / "deep.tvr", ReadAll(tree / "2 sub" / "deep.tvr").substr(0, 30));
    SelectRows({0, 1, 2, 4});
    const Files sources = Snapshot(tree.root());
    IntrudingServices services;
    Command("ToolItem2")->trigger();
    QVERIFY(services.yields > 0);
    QCOMPARE(services.log, Log(3, "caution"));
    QCOMPARE(Messages(services), QStringList({kNotConverted, kNotConverted, kDone}));
    const QStringList reported{"1 top.tvr", "deep.tvr"};
    for (int i = 0; i < reported.size(); ++i) {
      const QString explanation = QString::fromStdString(services.cautions[i].dialog.explanation);
      QVERIFY2(explanation.startsWith("書類：") && explanation.contains(reported[i]) &&
                   explanation.contains("\n理由："),
               qPrintable(explanation));
    }
    QVERIFY(QString::fromStdString(services.cautions[0].dialog.explanation).contains("見つかりません"));
    QCOMPARE(services.cautions[2].dialog.window, static_cast<Window*>(Window1()));
    const fs::path bottom = tree / "2 sub" / "3 deeper" / "bottom.tvr";
    VerifyPackage(bottom.string() + ".tvrmd", bottom, "bottom");
    VerifyPackage(tree / "6 invisible.tvr.tvrmd", tree / "6 invisible.tvr", "invisible");
    QVERIFY(!fs::exists(tree / "2 sub" / "deep.tvr.tvrmd"));  // nothing half-written
    QVERIFY(!fs::exists(tree / "1 top.tvr.tvrmd"));
    QVERIFY(!fs::exists(tree / "4 after.tvr.tvrmd"));
    QVERIFY(sources == Snapshot(tree.root()));
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>({0, 1, 2, 4}));
  }

  // Packages go flat into the folder chosen, replacing the four files of an
  // old one; a second document of the same name is not converted over the
  // first one's package. Beside their sources the two do not clash.
  void batchIntoAnotherFolderNeverOverwritesItsOwnPackages() {
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString()), out = root / "out",
        first = root / "in" / "A" / "same.tvr", second = root / "in" / "B" / "same.tvr";
    fs::create_directories(root / "in" / "B");
    fs::create_directories(root / "in" / "A" / "deeper");
    WriteDocument(first, "first");
    WriteDocument(root / "in" / "A" / "deeper" / "other.tvr", "other", true);
    WriteDocument(second, "second", true);
    fs::create_directories(out / "same.tvr.tvrmd");  // left by an earlier run
    legacy::WriteBytes(out / "same.tvr.tvrmd" / "csv", "old");
    legacy::WriteBytes(out / "same.tvr.tvrmd" / "notes", "mine");
    Scan(root / "in");
    SelectRows({0, 1, 2});
    const Files sources = Snapshot(root / "in");
    ScriptedServices services;
    services.folderAnswers = {std::nullopt, out};
    Command("ToolItem3")->trigger();  // cancelled: nothing happens
    QCOMPARE(services.log, Log{"folder"});
    Command("ToolItem3")->trigger();
    QCOMPARE(Messages(services), QStringList({kNotConverted, kDone}));
    const QString explanation = QString::fromStdString(services.cautions[0].dialog.explanation);
    QVERIFY2(explanation.contains(Text(second)) && explanation.contains(Text(out / "same.tvr.tvrmd")) &&
                 explanation.contains(Text(first)),
             qPrintable(explanation));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) names.insert(entry.path().filename().string());
    QCOMPARE(names, (std::set<std::string>{"same.tvr.tvrmd", "other.tvr.tvrmd"}));
    QCOMPARE(PackageFiles(out / "same.tvr.tvrmd").at("notes"), std::string("mine"));
    fs::remove(out / "same.tvr.tvrmd" / "notes");
    VerifyPackage(out / "same.tvr.tvrmd", first, "first");
    VerifyPackage(out / "other.tvr.tvrmd", root / "in" / "A" / "deeper" / "other.tvr", "other");
    QVERIFY(sources == Snapshot(root / "in"));
    QCOMPARE(SelectedRows(), QList<int>({0, 1, 2}));

    ScriptedServices beside;
    Command("ToolItem2")->trigger();
    QCOMPARE(Messages(beside), QStringList{kDone});
    VerifyPackage(second.string() + ".tvrmd", second, "second");
  }

  // Documents of another creator or type are refused; one of ours is
  // converted under the name confirmed in the save dialog.
  void singleConversionGoesThroughTheSaveDialogForListDocumentsOnly() {
    Tree tree;
    QTemporaryDir outDir;
    const fs::path target = fs::path(outDir.path().toStdString()) / "renamed package";
    Scan(tree.root());
    const Files sources = Snapshot(tree.root());
    ScriptedServices services;
    services.openAnswers = {tree / "7 other creator.tvr", tree / "8 other type.tvr",
                            tree / "2 sub" / "deep.tvr"};
    services.saveAnswers.push_back(target);
    Command("FileOpen")->trigger();
    Command("FileOpen")->trigger();
    QCOMPARE(Messages(services), QStringList(2, "未登録のファイルタイプです。"));
    QCOMPARE(services.cautions[0].dialog.explanation + " " + services.cautions[1].dialog.explanation,
             std::string("qZt6:Tavr qZt5:TEXT"));
    QVERIFY(!services.cautions[0].dialog.window && !services.cautions[1].dialog.window);  // modal
    Command("ToolItem4")->trigger();
    // No save dialog for a refused file, no message after a single conversion.
    QCOMPARE(services.log, (Log{"open", "caution", "open", "caution", "open", "save"}));
    QCOMPARE(services.openFilters, Log(3, "List"));
    QCOMPARE(services.saveRequests[0].initialFolder, tree / "2 sub");
    QCOMPARE(services.saveRequests[0].suggestedName, std::string("deep.tvr.tvrmd"));
    VerifyPackage(target, tree / "2 sub" / "deep.tvr", "deep");
    QVERIFY(sources == Snapshot(tree.root()));
    QCOMPARE(Rows(), tree.ExpectedRows());
  }

};

TAVR_SHELL_TEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
