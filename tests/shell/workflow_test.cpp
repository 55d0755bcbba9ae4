// The folder scan and the conversion commands, end to end through the main window;
// snapshots of the sources, their sidecars and extended attributes prove them untouched.

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shell/core/document_scan.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/mac_bytes.h"
#include "support/scripted_services.h"

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

const char* const kDone = "caution 変換が完了しました。";
const char* const kNotConverted = "caution 書類を変換できませんでした。";

QString Text(const fs::path& path) { return QString::fromStdString(path.string()); }

// Columns A and B, the one row `cell`,"y"; a sidecar with these codes, Finder
// flags (0x4000: invisible) and a 'WPos' resource.
void WriteDocument(const fs::path& path, const std::string& cell, bool multi = false,
                   const std::string& type = "Tavr", const std::string& creator = "qZt5",
                   std::uint16_t flags = 0) {
  WriteBytes(path, mac_bytes::Document::WithTable({{0, "A", 0x00FF0000}, {0, "B", 0x000000FF}},
                                                  {{cell, "y"}}, multi)
                       .Bytes());
  WriteBytes(
      mac_bytes::SidecarPath(path),
      mac_bytes::SidecarBytes(mac_bytes::WPosFork("10\t60\t400\t300"), type, creator, flags));
}

// The package holds what the converter makes of the source on its own.
void VerifyPackage(const fs::path& package, const fs::path& source) {
  TempFolder reference;
  QVERIFY(ListConverter().FileConv(FolderItem(source), FolderItem(reference / "p.tvrmd")));
  QVERIFY(TakeSnapshot(package) == TakeSnapshot(reference / "p.tvrmd"));
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
    WriteBytes(*this / "._5 hidden", mac_bytes::SidecarBytes(std::nullopt, "", "", 0x4000));
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

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT
  Tree tree_;

 private slots:
  void init() {
    ScriptedServices services;
    services.fileAnswers = {tree_.path()};
    Command("ToolItem1")->trigger();
  }

  void scanListsDocumentsDepthFirstAndANewScanReplacesThem() {
    QCOMPARE(Rows(), tree_.ExpectedRows());
    ScriptedServices services;
    services.fileAnswers = {tree_ / "2 sub"};
    Command("FileOpenFolder")->trigger();
    QCOMPARE(Rows(), tree_.ExpectedRows().mid(1, 2));
    QCOMPARE(services.log, Log{"folder"});
  }

  // One scan enters no folder twice, also when asked to walk it again.
  void aScanEntersNoFolderTwice() {
    int found = 0;
    DocumentScan scan([](const FolderItem&) { return false; },
                      [&](const FolderItem&, bool) { ++found; });
    scan.Walk(FolderItem(tree_.path()));
    scan.Walk(FolderItem(tree_ / "2 sub"));
    QCOMPARE(found, 5);
  }

  // A document of another type is refused; one of ours goes into the package
  // the save dialog answers, here an existing one.
  void singleConversionGoesThroughTheSaveDialogForListDocumentsOnly() {
    TempFolder out;
    const fs::path package = out / "chosen.tvrmd";
    fs::create_directory(package);
    WriteBytes(package / "csv", "old");
    const Snapshot sources = TakeSnapshot(tree_.path(), false);
    ScriptedServices services;
    services.fileAnswers = {tree_ / "8 other type.tvr", tree_ / "2 sub/1 top.tvr", package};
    Command("FileOpen")->trigger();
    Command("ToolItem4")->trigger();
    // No save dialog for a refused file, no message after a single conversion.
    QCOMPARE(services.log, (Log{"open List", "caution 未登録のファイルタイプです。", "open List",
                                "save " + (tree_ / "2 sub").string() + " 1 top.tvr.tvrmd"}));
    QCOMPARE(services.cautions[0].explanation, std::string("qZt5:TEXT"));
    QVERIFY(!services.cautions[0].window);  // application-modal
    VerifyPackage(package, tree_ / "2 sub/1 top.tvr");
    QVERIFY(sources == TakeSnapshot(tree_.path(), false));
    QCOMPARE(Rows(), tree_.ExpectedRows());
  }

  // Packages go flat into the folder chosen, replacing the files of an old one;
  // a second document of the same name is not converted over the first's package.
  void batchIntoAnotherFolderNeverOverwritesItsOwnPackages() {
    TempFolder out;
    const fs::path first = tree_ / "1 top.tvr", second = tree_ / "2 sub/1 top.tvr";
    fs::create_directories(out / "1 top.tvr.tvrmd");  // left by an earlier run
    WriteBytes(out / "1 top.tvr.tvrmd/csv", "old");
    SelectRows({0, 1, 2});
    const Snapshot sources = TakeSnapshot(tree_.path(), false);
    ScriptedServices services;
    services.fileAnswers = {out.path()};
    Command("ToolItem3")->trigger();
    QCOMPARE(services.log, (Log{"folder", kNotConverted, kDone}));
    const QString explanation = ToQString(services.cautions[0].explanation);
    QVERIFY2(explanation.contains(Text(second)) &&
                 explanation.contains(Text(out / "1 top.tvr.tvrmd")) &&
                 explanation.contains(Text(first)),
             qPrintable(explanation));
    QCOMPARE(TakeSnapshot(out.path()).size(), std::size_t{10});  // two packages of four files
    VerifyPackage(out / "1 top.tvr.tvrmd", first);
    VerifyPackage(out / "bottom.tvr.tvrmd", tree_ / "2 sub/3 deeper/bottom.tvr");
    QVERIFY(sources == TakeSnapshot(tree_.path(), false));
  }

  // A vanished row and an unreadable one are reported and the batch goes on;
  // rows not selected are left alone, and no command starts inside the batch.
  void batchBesideTheSourcesConvertsTheSelectedRowsOnly() {
    fs::remove(tree_ / "1 top.tvr");
    WriteBytes(tree_ / "4 after.tvr", ReadBytes(tree_ / "4 after.tvr").substr(0, 30));
    SelectRows({0, 2, 3, 4});
    const Snapshot sources = TakeSnapshot(tree_.path(), false);
    IntrudingServices services;
    Command("ToolItem2")->trigger();
    QVERIFY(services.yields > 0);
    QCOMPARE(services.log, (Log{kNotConverted, kNotConverted, kDone}));
    const QString explanation = ToQString(services.cautions[0].explanation);
    QVERIFY2(explanation.startsWith("書類：" + Text(tree_ / "1 top.tvr")) &&
                 explanation.contains("\n理由：") && explanation.contains("見つかりません"),
             qPrintable(explanation));
    QVERIFY(ToQString(services.cautions[1].explanation).contains("4 after.tvr"));
    QCOMPARE(services.cautions[2].window, static_cast<Window*>(Window1()));
    VerifyPackage(tree_ / "2 sub/3 deeper/bottom.tvr.tvrmd", tree_ / "2 sub/3 deeper/bottom.tvr");
    VerifyPackage(tree_ / "6 invisible.tvr.tvrmd", tree_ / "6 invisible.tvr");
    QVERIFY(!fs::exists(tree_ / "2 sub/1 top.tvr.tvrmd") &&
            !fs::exists(tree_ / "4 after.tvr.tvrmd"));
    QVERIFY(sources == TakeSnapshot(tree_.path(), false));
    QCOMPARE(Rows(), tree_.ExpectedRows());
  }
};

TAVR_SHELL_TEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
