// The folder scan and the conversion commands, end to end through the main
// window: its actions are triggered by name and the scripted services answer
// the dialogs.

#include <QAction>
#include <QItemSelectionModel>
#include <set>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shell/listbox.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "workflow_tree.h"

namespace {

namespace fs = std::filesystem;

const char* const kDone = "変換が完了しました。";
const char* const kNotConverted = "書類を変換できませんでした。";

Listbox* List() { return Window1()->findChild<Listbox*>(QStringLiteral("Listbox1")); }

void Trigger(const char* name) {
  QAction* action = Window1()->findChild<QAction*>(QString::fromLatin1(name));
  if (!action) qFatal("no action %s", name);
  action->trigger();
}

QString Text(const fs::path& path) { return QString::fromStdString(path.string()); }

// Every row as name, kind, path; a row without its picture is marked.
QList<QStringList> Rows() {
  QList<QStringList> rows;
  for (int row = 0; row < List()->ListCount(); ++row) {
    QStringList cells{List()->Cell(row, 0), List()->Cell(row, 1), List()->Cell(row, 2)};
    if (List()->Rows()->item(row, 0)->icon().isNull()) cells << QStringLiteral("no picture");
    rows << cells;
  }
  return rows;
}

QList<int> SelectedRows() {
  QList<int> rows;
  for (int row = 0; row < List()->ListCount(); ++row) if (List()->Selected(row)) rows << row;
  return rows;
}

void SelectRows(const QList<int>& rows) {
  List()->clearSelection();
  for (int row : rows) {
    List()->selectionModel()->select(List()->Rows()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

QStringList Messages(const ScriptedServices& services) {
  QStringList messages;
  for (const auto& shown : services.cautions) messages << QString::fromStdString(shown.dialog.message);
  return messages;
}

void Scan(const fs::path& folder) {
  ScriptedServices services;
  services.folderAnswers.push_back(folder);
  Trigger("ToolItem1");
}

// The package holds the four files, its csv carries the document's row, and
// it matches what the converter makes of the same source on its own.
void VerifyPackage(const fs::path& package, const fs::path& source, const std::string& cell) {
  const auto files = workflow::PackageFiles(package);
  QCOMPARE(files.size(), std::size_t{4});
  QCOMPARE(QString::fromStdString(files.at("csv")), QString::fromStdString(cell + ",y\n"));
  QTemporaryDir reference;
  const fs::path expected = fs::path(reference.path().toStdString()) / "expected.tvrmd";
  QVERIFY(ListConverter().FileConv(FolderItem(source), FolderItem(expected)));
  QVERIFY(files == workflow::PackageFiles(expected));
}

// Documents at several depths, and everything that the scan passes over.
class Tree {
 public:
  Tree() : root_(fs::path(dir_.path().toStdString()) / "tree") {
    using workflow::SmallDocument;
    fs::create_directories(root_ / "2 sub" / "3 deeper");
    workflow::WriteDocument(root_ / "1 top.tvr", SmallDocument(false, "top"));
    workflow::WriteDocument(root_ / "2 sub" / "3 deeper" / "bottom.tvr",
                            SmallDocument(false, "bottom"));
    workflow::WriteDocument(root_ / "2 sub" / "deep.tvr", SmallDocument(true, "deep"));
    fs::create_directory_symlink(root_, root_ / "2 sub" / "loop");
    workflow::WriteDocument(root_ / "4 after.tvr", SmallDocument(true, "after"));
    workflow::MakeInvisibleFolder(root_ / "5 hidden");
    workflow::WriteDocument(root_ / "5 hidden" / "inside.tvr", SmallDocument(false, "no"));
    fs::create_directory(root_ / ".dot folder");
    workflow::WriteDocument(root_ / ".dot folder" / "dotted.tvr", SmallDocument(false, "no"));
    workflow::WriteDocument(root_ / "6 invisible.tvr", SmallDocument(false, "invisible"), "Tavr",
                            "qZt5", 0x4000);
    workflow::WriteDocument(root_ / "7 other creator.tvr", SmallDocument(false, "no"), "Tavr",
                            "qZt6");
    workflow::WriteDocument(root_ / "8 other type.tvr", SmallDocument(false, "no"), "TEXT");
    withAttribute_ =
        workflow::WriteDocumentWithAttribute(root_ / "9 attribute.tvr", SmallDocument(false, "attr"));
    fs::create_directory_symlink("2 sub", root_ / "link to sub");
  }

  const fs::path& root() const { return root_; }
  fs::path operator/(const fs::path& relative) const { return root_ / relative; }

  QList<QStringList> ExpectedRows() const {
    QList<QStringList> rows{
        {"1 top.tvr", "シングル", Text(root_ / "1 top.tvr")},
        {"bottom.tvr", "シングル", Text(root_ / "2 sub" / "3 deeper" / "bottom.tvr")},
        {"deep.tvr", "マルチ", Text(root_ / "2 sub" / "deep.tvr")},
        {"4 after.tvr", "マルチ", Text(root_ / "4 after.tvr")},
        {"6 invisible.tvr", "シングル", Text(root_ / "6 invisible.tvr")}};
    if (withAttribute_) rows << QStringList{"9 attribute.tvr", "シングル", Text(root_ / "9 attribute.tvr")};
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
    Trigger("ToolItem1");
    Trigger("FileOpen");
  }
};

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { List()->DeleteAllRows(); }

  // --- The folder scan.

  void scanListsDocumentsDepthFirstInItemOrder() {
    Tree tree;
    ScriptedServices services;
    services.folderAnswers.push_back(tree.root());
    Trigger("ToolItem1");
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(services.log, std::vector<std::string>{"folder"});  // no message
    QCOMPARE(SelectedRows(), QList<int>());
  }

  void cancelledScanKeepsTheListAndANewScanReplacesIt() {
    Tree tree;
    Scan(tree.root());
    SelectRows({1, 3});
    {
      ScriptedServices services;  // the dialog is cancelled
      Trigger("FileOpenFolder");
      QCOMPARE(services.log, std::vector<std::string>{"folder"});
    }
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>({1, 3}));

    Scan(tree / "2 sub");  // rows start again from the top
    QCOMPARE(List()->ListCount(), 2);
    QCOMPARE(List()->Cell(0, 0), QStringLiteral("bottom.tvr"));

    QTemporaryDir empty;
    ScriptedServices services;
    services.folderAnswers.push_back(empty.path().toStdString());
    Trigger("ToolItem1");
    QCOMPARE(List()->ListCount(), 0);
    QVERIFY(services.cautions.empty());
  }

  // --- Batches.

  void batchBesideTheSourcesConvertsTheSelectedRowsOnly() {
    Tree tree;
    Scan(tree.root());
    SelectRows({0, 2, 4});
    const auto sources = workflow::Snapshot(tree.root());
    ScriptedServices services;
    Trigger("ToolItem2");
    QCOMPARE(Messages(services), QStringList{kDone});
    QCOMPARE(services.cautions[0].dialog.window, static_cast<Window*>(Window1()));
    VerifyPackage(tree / "1 top.tvr.tvrmd", tree / "1 top.tvr", "top");
    VerifyPackage(tree / "2 sub" / "deep.tvr.tvrmd", tree / "2 sub" / "deep.tvr", "deep");
    VerifyPackage(tree / "6 invisible.tvr.tvrmd", tree / "6 invisible.tvr", "invisible");
    QVERIFY(!fs::exists(tree / "2 sub" / "3 deeper" / "bottom.tvr.tvrmd"));
    QVERIFY(!fs::exists(tree / "4 after.tvr.tvrmd"));
    QVERIFY(sources == workflow::Snapshot(tree.root()));
    QCOMPARE(Rows(), tree.ExpectedRows());
    QCOMPARE(SelectedRows(), QList<int>({0, 2, 4}));
  }

  void batchIntoAnotherFolderPutsEveryPackageFlatAndReplacesOldOnes() {
    Tree tree;
    QTemporaryDir outDir;
    const fs::path out(outDir.path().toStdString());
    fs::create_directory(out / "bottom.tvr.tvrmd");  // left by an earlier run
    legacy::WriteBytes(out / "bottom.tvr.tvrmd" / "csv", "old");
    legacy::WriteBytes(out / "bottom.tvr.tvrmd" / "notes", "mine");
    Scan(tree.root());
    SelectRows({1, 3});
    const auto sources = workflow::Snapshot(tree.root());
    {
      ScriptedServices cancelled;
      Trigger("ToolItem3");
      QCOMPARE(cancelled.log, std::vector<std::string>{"folder"});
    }
    ScriptedServices services;
    services.folderAnswers.push_back(out);
    Trigger("ToolItem3");
    QCOMPARE(Messages(services), QStringList{kDone});
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) names.insert(entry.path().filename().string());
    QCOMPARE(names, (std::set<std::string>{"bottom.tvr.tvrmd", "4 after.tvr.tvrmd"}));
    // The four files are replaced; whatever else the old package held stays.
    QCOMPARE(workflow::PackageFiles(out / "bottom.tvr.tvrmd").at("notes"), std::string("mine"));
    fs::remove(out / "bottom.tvr.tvrmd" / "notes");
    VerifyPackage(out / "bottom.tvr.tvrmd", tree / "2 sub" / "3 deeper" / "bottom.tvr", "bottom");
    VerifyPackage(out / "4 after.tvr.tvrmd", tree / "4 after.tvr", "after");
    QVERIFY(sources == workflow::Snapshot(tree.root()));
    QCOMPARE(SelectedRows(), QList<int>({1, 3}));
  }

  void noSecondCommandStartsInsideABatch() {
    Tree tree;
    Scan(tree.root());
    SelectRows({0, 1});
    IntrudingServices services;
    Trigger("ToolItem2");
    QVERIFY(services.yields > 0);
    QCOMPARE(services.log, std::vector<std::string>{"caution"});
    QCOMPARE(Messages(services), QStringList{kDone});
    QCOMPARE(Rows(), tree.ExpectedRows());
  }

  // --- A single document.

  void singleConversionGoesThroughTheSaveDialog() {
    Tree tree;
    QTemporaryDir outDir;
    const fs::path target = fs::path(outDir.path().toStdString()) / "renamed package";
    Scan(tree.root());
    const auto sources = workflow::Snapshot(tree.root());
    ScriptedServices services;
    services.openAnswers.push_back(tree / "2 sub" / "deep.tvr");
    services.saveAnswers.push_back(target);
    Trigger("ToolItem4");
    QCOMPARE(services.log, (std::vector<std::string>{"open", "save"}));  // no completion message
    QCOMPARE(services.openFilters, std::vector<std::string>{"List"});
    QCOMPARE(services.saveRequests[0].initialFolder, tree / "2 sub");
    QCOMPARE(services.saveRequests[0].suggestedName, std::string("deep.tvr.tvrmd"));
    VerifyPackage(target, tree / "2 sub" / "deep.tvr", "deep");  // the name as confirmed
    QVERIFY(sources == workflow::Snapshot(tree.root()));
    QCOMPARE(Rows(), tree.ExpectedRows());
  }

  void fileOfAnotherTypeIsRefused_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codes");
    QTest::newRow("creator qZt6") << "7 other creator.tvr" << "qZt6:Tavr";
    QTest::newRow("type TEXT") << "8 other type.tvr" << "qZt5:TEXT";
  }

  void fileOfAnotherTypeIsRefused() {
    QFETCH(QString, file);
    QFETCH(QString, codes);
    Tree tree;
    ScriptedServices services;
    services.openAnswers.push_back(tree / file.toStdString());
    services.saveAnswers.push_back(tree / "never.tvrmd");
    Trigger("FileOpen");
    QCOMPARE(services.log, (std::vector<std::string>{"open", "caution"}));
    QCOMPARE(Messages(services), QStringList{"未登録のファイルタイプです。"});
    QCOMPARE(QString::fromStdString(services.cautions[0].dialog.explanation), codes);
    QCOMPARE(services.cautions[0].dialog.window, nullptr);  // application-modal
    QVERIFY(!fs::exists(tree / "never.tvrmd"));
  }

  // --- Rows that cannot be converted.

  void rowsWhoseDocumentIsGoneOrUnreadableAreReportedAndTheBatchGoesOn() {
    Tree tree;
    Scan(tree.root());
    fs::remove(tree / "1 top.tvr");
    fs::remove_all(tree / "2 sub" / "3 deeper");
    workflow::WriteDocument(tree / "2 sub" / "deep.tvr", workflow::SmallDocument(true, "x").substr(0, 30));
    SelectRows({0, 1, 2, 3, 4});
    List()->SetCell(4, 2, QStringLiteral("6 invisible.tvr"));  // no longer an absolute path
    ScriptedServices services;
    Trigger("ToolItem2");
    QCOMPARE(Messages(services),
             QStringList({kNotConverted, kNotConverted, kNotConverted, kNotConverted, kDone}));
    const QStringList reported{"1 top.tvr", "bottom.tvr", "deep.tvr", "6 invisible.tvr"};
    for (int i = 0; i < reported.size(); ++i) {
      const QString explanation = QString::fromStdString(services.cautions[i].dialog.explanation);
      QVERIFY2(explanation.startsWith("書類：") && explanation.contains(reported[i]) &&
                   explanation.contains("\n理由："),
               qPrintable(explanation));
    }
    QVERIFY(QString::fromStdString(services.cautions[0].dialog.explanation).contains("見つかりません"));
    VerifyPackage(tree / "4 after.tvr.tvrmd", tree / "4 after.tvr", "after");
    QVERIFY(!fs::exists(tree / "2 sub" / "deep.tvr.tvrmd"));  // nothing half-written
    QVERIFY(!fs::exists(tree / "1 top.tvr.tvrmd"));
  }

  void sameNamedDocumentsNeverOverwriteEachOtherInOneBatch() {
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString());
    fs::create_directories(root / "in" / "A");
    fs::create_directories(root / "in" / "B");
    fs::create_directories(root / "out");
    workflow::WriteDocument(root / "in" / "A" / "same.tvr", workflow::SmallDocument(false, "first"));
    workflow::WriteDocument(root / "in" / "B" / "same.tvr", workflow::SmallDocument(true, "second"));
    Scan(root / "in");
    SelectRows({0, 1});
    ScriptedServices services;
    services.folderAnswers.push_back(root / "out");
    Trigger("ToolItem3");
    QCOMPARE(Messages(services), QStringList({kNotConverted, kDone}));
    const QString explanation = QString::fromStdString(services.cautions[0].dialog.explanation);
    QVERIFY2(explanation.contains(Text(root / "in" / "B" / "same.tvr")) &&
                 explanation.contains(Text(root / "out" / "same.tvr.tvrmd")) &&
                 explanation.contains(Text(root / "in" / "A" / "same.tvr")),
             qPrintable(explanation));
    VerifyPackage(root / "out" / "same.tvr.tvrmd", root / "in" / "A" / "same.tvr", "first");

    ScriptedServices beside;  // each beside its own source: no clash
    Trigger("ToolItem2");
    QCOMPARE(Messages(beside), QStringList{kDone});
    VerifyPackage(root / "in" / "B" / "same.tvr.tvrmd", root / "in" / "B" / "same.tvr", "second");
  }
};

TAVR_SHELL_TEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
