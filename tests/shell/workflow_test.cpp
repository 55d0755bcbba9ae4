// The folder scan and the conversion commands, end to end through the main window;
// snapshots of the sources, their sidecars and extended attributes prove them untouched.

#include <sys/xattr.h>

#include <QFileDialog>
#include <set>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;
using Files = std::map<std::string, std::string>;

const char* const kDone = "変換が完了しました。";
const char* const kNotConverted = "書類を変換できませんでした。";

QString Text(const fs::path& path) { return QString::fromStdString(path.string()); }

// Columns A and B, the one row `cell`,"y"; a sidecar with these codes, Finder
// flags (0x4000: invisible) and a 'WPos' resource.
void WriteDocument(const fs::path& path, const std::string& cell, bool multi = false,
                   const std::string& type = "Tavr", const std::string& creator = "qZt5",
                   std::uint16_t flags = 0) {
  legacy::WriteBytes(path, legacy::Document::WithTable({{0, "A", 0x00FF0000}, {0, "B", 0x000000FF}},
                                                       {{cell, "y"}}, multi)
                               .Bytes());
  std::string sidecar =
      legacy::AppleDoubleBytes(legacy::WPosFork("10\t60\t400\t300"), type, creator);
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
      files[path] = ReadBytes(entry->path()) + "|";
      std::vector<char> names(4096), value(65536);
      const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
      for (const char* name = names.data(); name < names.data() + size;
           name += std::strlen(name) + 1) {
        const ssize_t length = ::lgetxattr(path.c_str(), name, value.data(), value.size());
        files[path] +=
            std::string(name) + "=" + std::string(value.data(), std::max<ssize_t>(length, 0));
      }
    }
  }
  return files;
}

Files PackageFiles(const fs::path& package) {
  Files files;
  if (fs::is_directory(package)) {
    for (const auto& entry : fs::directory_iterator(package))
      files[entry.path().filename().string()] = ReadBytes(entry.path());
  }
  return files;
}

// Four files, the document's row in the csv, and the same as the converter
// makes of the source on its own.
void VerifyPackage(const fs::path& package, const fs::path& source, const std::string& cell) {
  const Files files = PackageFiles(package);
  QCOMPARE(files.size(), std::size_t{4});
  QCOMPARE(QString::fromStdString(files.at("csv")), QString::fromStdString(cell + ",y\n"));
  TempFolder reference;
  QVERIFY(ListConverter().FileConv(FolderItem(source), FolderItem(reference / "expected.tvrmd")));
  QVERIFY(files == PackageFiles(reference / "expected.tvrmd"));
}

// Name, kind, path of every row; a row without its picture is marked.
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
  for (int row = 0; row < List()->ListCount(); ++row)
    if (List()->Selected(row)) rows << row;
  return rows;
}

QStringList Messages(const ScriptedServices& services) {
  QStringList messages;
  for (const auto& shown : services.cautions)
    messages << QString::fromStdString(shown.dialog.message);
  return messages;
}

// Documents at several depths, and what the scan passes over.
class Tree : public TempFolder {
 public:
  Tree() {
    fs::create_directories(*this / "2 sub/3 deeper");
    WriteDocument(*this / "1 top.tvr", "top");
    WriteDocument(*this / "2 sub/1 top.tvr", "again", true);  // the same name again
    WriteDocument(*this / "2 sub/3 deeper/bottom.tvr", "bottom");
    fs::create_directory_symlink(path(), *this / "2 sub/loop");
    WriteDocument(*this / "4 after.tvr", "after", true);
    fs::create_directory(*this / "5 hidden");  // invisible by the Finder flag in its sidecar
    std::string hidden =
        legacy::AppleDoubleBytes(std::nullopt, std::string(4, '\0'), std::string(4, '\0'));
    hidden[46] = 0x40;  // Finder info at 38, after one entry; flags at 8
    legacy::WriteBytes(legacy::SidecarPath(*this / "5 hidden"), hidden);
    WriteDocument(*this / "5 hidden/inside.tvr", "no");
    WriteDocument(*this / "6 invisible.tvr", "invisible", false, "Tavr", "qZt5", 0x4000);
    WriteDocument(*this / "7 other creator.tvr", "no", false, "Tavr", "qZt6");
    WriteDocument(*this / "8 other type.tvr", "no", false, "TEXT");
  }

  QList<QStringList> ExpectedRows() const {
    const std::pair<const char*, const char*> listed[] = {{"1 top.tvr", "シングル"},
                                                          {"2 sub/1 top.tvr", "マルチ"},
                                                          {"2 sub/3 deeper/bottom.tvr", "シングル"},
                                                          {"4 after.tvr", "マルチ"},
                                                          {"6 invisible.tvr", "シングル"}};
    QList<QStringList> rows;
    for (auto [path, kind] : listed)
      rows << QStringList{Text(fs::path(path).filename()), kind, Text(*this / path)};
    return rows;
  }
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

// The real save dialog, answered by `answer` from inside its event loop; the
// other services scripted.
class RealSaveDialog : public ScriptedServices {
 public:
  std::function<void(QFileDialog&)> answer;

  std::optional<fs::path> SaveAs(Window* window, const fs::path& folder,
                                 const std::string& name) override {
    ScriptedServices::SaveAs(window, folder, name);
    WhenShown<QFileDialog>(answer);
    return QtServices().SaveAs(window, folder, name);
  }
};

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT
  Tree tree_;

 private slots:
  void init() {
    ScriptedServices services;
    services.folderAnswers.push_back(tree_.path());
    Command("ToolItem1")->trigger();
  }

  void scanListsDocumentsDepthFirstAndANewScanReplacesThem() {
    QCOMPARE(Rows(), tree_.ExpectedRows());
    ScriptedServices services;
    services.folderAnswers = {tree_ / "2 sub"};
    Command("FileOpenFolder")->trigger();
    QCOMPARE(Rows(), tree_.ExpectedRows().mid(1, 2));
    QCOMPARE(services.log, Log{"folder"});
  }

  // A document of another type is refused; one of ours is converted through
  // the real save dialog into an existing package, whose other entries stay.
  void singleConversionGoesThroughTheSaveDialogForListDocumentsOnly() {
    TempFolder out;
    const fs::path package = out / "1 top.tvr.tvrmd";
    fs::create_directory(package);
    legacy::WriteBytes(package / "csv", "old");
    legacy::WriteBytes(package / "メモ.txt", "the user's");
    const Files sources = Snapshot(tree_.path());
    RealSaveDialog services;
    services.openAnswers = {tree_ / "8 other type.tvr", tree_ / "2 sub/1 top.tvr"};
    services.answer = [&out](QFileDialog& dialog) {
      dialog.setDirectory(FromPath(out.path()));
      TypeName(dialog, "");  // the proposed name, and the replace question answered "置き換える"
    };
    Command("FileOpen")->trigger();
    QCOMPARE(services.cautions[0].dialog.explanation, std::string("qZt5:TEXT"));
    QVERIFY(!services.cautions[0].dialog.window);  // application-modal
    Command("ToolItem4")->trigger();
    // No save dialog for a refused file, no message after a single conversion.
    QCOMPARE(services.log, (Log{"open", "caution", "open", "save", "caution"}));
    QCOMPARE(Messages(services),
             QStringList({"未登録のファイルタイプです。",
                          "「1 top.tvr.tvrmd」は既にあります。置き換えますか？"}));
    QCOMPARE(services.openFilters, Log(2, "List"));
    QCOMPARE(services.saveRequests[0].initialFolder, tree_ / "2 sub");
    QCOMPARE(services.saveRequests[0].suggestedName, std::string("1 top.tvr.tvrmd"));
    QCOMPARE(ReadBytes(package / "メモ.txt"), std::string("the user's"));
    fs::remove(package / "メモ.txt");
    VerifyPackage(package, tree_ / "2 sub/1 top.tvr", "again");
    QVERIFY(sources == Snapshot(tree_.path()));
    QCOMPARE(Rows(), tree_.ExpectedRows());
  }

  // Packages go flat into the folder chosen, replacing the files of an old one;
  // a second document of the same name is not converted over the first's package.
  void batchIntoAnotherFolderNeverOverwritesItsOwnPackages() {
    TempFolder out;
    const fs::path first = tree_ / "1 top.tvr", second = tree_ / "2 sub/1 top.tvr";
    fs::create_directories(out / "1 top.tvr.tvrmd");  // left by an earlier run
    legacy::WriteBytes(out / "1 top.tvr.tvrmd/csv", "old");
    SelectRows({0, 1, 2});
    const Files sources = Snapshot(tree_.path());
    ScriptedServices services;
    services.folderAnswers = {out.path()};
    Command("ToolItem3")->trigger();
    QCOMPARE(Messages(services), QStringList({kNotConverted, kDone}));
    const QString explanation = QString::fromStdString(services.cautions[0].dialog.explanation);
    QVERIFY2(explanation.contains(Text(second)) &&
                 explanation.contains(Text(out / "1 top.tvr.tvrmd")) &&
                 explanation.contains(Text(first)),
             qPrintable(explanation));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out.path()))
      names.insert(entry.path().filename().string());
    QCOMPARE(names, (std::set<std::string>{"1 top.tvr.tvrmd", "bottom.tvr.tvrmd"}));
    VerifyPackage(out / "1 top.tvr.tvrmd", first, "top");
    VerifyPackage(out / "bottom.tvr.tvrmd", tree_ / "2 sub/3 deeper/bottom.tvr", "bottom");
    QVERIFY(sources == Snapshot(tree_.path()));
    QCOMPARE(SelectedRows(), QList<int>({0, 1, 2}));
  }

  // A vanished row and an unreadable one are reported and the batch goes on;
  // rows not selected are left alone, and no command starts inside the batch.
  void batchBesideTheSourcesConvertsTheSelectedRowsOnly() {
    fs::remove(tree_ / "1 top.tvr");
    legacy::WriteBytes(tree_ / "4 after.tvr", ReadBytes(tree_ / "4 after.tvr").substr(0, 30));
    SelectRows({0, 2, 3, 4});
    const Files sources = Snapshot(tree_.path());
    IntrudingServices services;
    Command("ToolItem2")->trigger();
    QVERIFY(services.yields > 0);
    QCOMPARE(services.log, Log(3, "caution"));
    QCOMPARE(Messages(services), QStringList({kNotConverted, kNotConverted, kDone}));
    const QString explanation = QString::fromStdString(services.cautions[0].dialog.explanation);
    QVERIFY2(explanation.startsWith("書類：" + Text(tree_ / "1 top.tvr")) &&
                 explanation.contains("\n理由：") && explanation.contains("見つかりません"),
             qPrintable(explanation));
    QVERIFY(
        QString::fromStdString(services.cautions[1].dialog.explanation).contains("4 after.tvr"));
    QCOMPARE(services.cautions[2].dialog.window, static_cast<Window*>(Window1()));
    VerifyPackage(tree_ / "2 sub/3 deeper/bottom.tvr.tvrmd", tree_ / "2 sub/3 deeper/bottom.tvr",
                  "bottom");
    VerifyPackage(tree_ / "6 invisible.tvr.tvrmd", tree_ / "6 invisible.tvr", "invisible");
    QVERIFY(!fs::exists(tree_ / "2 sub/1 top.tvr.tvrmd") &&
            !fs::exists(tree_ / "4 after.tvr.tvrmd"));
    QVERIFY(sources == Snapshot(tree_.path()));
    QCOMPARE(Rows(), tree_.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>({0, 2, 3, 4}));
  }
};

TAVR_SHELL_TEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
