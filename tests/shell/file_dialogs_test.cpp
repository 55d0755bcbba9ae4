// Qt's own file dialogs as the program shows them: the save dialog of a
// single conversion driven for real (what it makes of a name that is taken),
// the open dialog's filter, and the columns written in Japanese.

#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <optional>

#include "shell/list_file_filter.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const QString kProposal = QStringLiteral("会員名簿.tvr.tvrmd");
const QString kRefused = QStringLiteral("「会員名簿.tvr.tvrmd」には書き出せません。");
const QString kReplace = QStringLiteral("「会員名簿.tvr.tvrmd」は既にあります。置き換えますか？");

// What stands in the dialog's folder before it opens.
enum class Taken { Nothing, Package, File, LinkToFolder, Folder };

void Make(const fs::path& folder, Taken taken) {
  const fs::path proposal = ToPath(FromPath(folder) + "/" + kProposal);
  switch (taken) {
    case Taken::Nothing:
      break;
    case Taken::Package:
      fs::create_directory(proposal);
      break;
    case Taken::File:
      legacy::WriteBytes(proposal, "x");
      break;
    case Taken::LinkToFolder:
      fs::create_directory(folder / "elsewhere");
      fs::create_directory_symlink(folder / "elsewhere", proposal);
      break;
    case Taken::Folder:
      fs::create_directory(folder / "sub");
      break;
  }
}

}  // namespace

class FileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // No answer is ever a path inside the package the dialog proposed, and
  // Qt's own replace question never shows.
  void saveDialogTakesANewNameOrAPackageAfterOneQuestion() {
    struct Row {
      const char* what;
      Taken taken;
      bool openThePackage;  // as a double-click in the list would
      QList<DialogButton> answers;
      QStringList typed;   // one name per Return; "" keeps the proposal
      const char* chosen;  // under the folder; nullptr: the dialog was cancelled
      QStringList messages;
    };
    const Row rows[] = {
        {"new name", Taken::Nothing, false, {}, {""}, "会員名簿.tvr.tvrmd", {}},
        {"package, replaced",
         Taken::Package,
         false,
         {DialogButton::Action},
         {""},
         "会員名簿.tvr.tvrmd",
         {kReplace}},
        {"package, kept", Taken::Package, false, {DialogButton::Cancel}, {""}, nullptr, {kReplace}},
        {"file", Taken::File, false, {}, {"", "別名.tvrmd"}, "別名.tvrmd", {kRefused}},
        {"link to a folder", Taken::LinkToFolder, false, {}, {""}, nullptr, {kRefused}},
        {"ordinary folder",
         Taken::Folder,
         false,
         {},
         {"sub", kProposal},
         "sub/会員名簿.tvr.tvrmd",
         {}},
        {"inside the package", Taken::Package, true, {}, {kProposal}, nullptr, {kRefused}},
    };
    for (const Row& row : rows) {
      TempFolder folder;
      Make(folder.path(), row.taken);
      ScriptedServices services;
      services.cautionAnswers.assign(row.answers.begin(), row.answers.end());
      WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        if (row.openThePackage) dialog.setDirectory(FromPath(folder.path()) + "/" + kProposal);
        for (const QString& name : row.typed) {
          if (dialog.isVisible()) TypeName(dialog, name);
        }
        if (dialog.isVisible()) dialog.reject();
      });
      const std::optional<fs::path> chosen =
          QtServices().SaveAs(Window1(), folder.path(), ToUtf8(kProposal));
      QCOMPARE(chosen ? FromPath(*chosen) : QString(),
               row.chosen ? FromPath(folder.path()) + "/" + row.chosen : QString());
      QStringList messages;
      for (const auto& shown : services.cautions) {
        QVERIFY2(shown.dialog.window && shown.dialog.window != Window1(),
                 row.what);  // a sheet on the dialog
        messages << ToQString(shown.dialog.message);
      }
      QVERIFY2(messages == row.messages, row.what);
    }
  }

  // Sizes, dates and "フォルダ" whatever the system's locale (the tests run
  // under C.UTF-8).
  void fileDialogColumnsAreJapanese() {
    TempFolder folder;
    fs::create_directory(folder / "sub");
    legacy::WriteBytes(folder / "a.tvr", "12345");
    QStringList shown;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
      auto* files = qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel());
      const QModelIndex root = files->index(FromPath(folder.path()));
      QSignalSpy loaded(files, &QFileSystemModel::directoryLoaded);
      if (files->rowCount(root) < 2) QVERIFY(loaded.wait());
      for (const char* name : {"sub", "a.tvr"}) {
        const QModelIndex file =
            dialog.proxyModel()->mapFromSource(files->index(FromPath(folder / name)));
        for (int column = 1; column < 4; ++column)
          shown << file.siblingAtColumn(column).data().toString();
      }
      dialog.reject();
    });
    QtServices().SaveAs(Window1(), folder.path(), "x");
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown.mid(0, 2), QStringList({"", "フォルダ"}));
    QCOMPARE(shown[3], QStringLiteral("5 バイト"));
    const QRegularExpression japaneseDate(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$"));
    QVERIFY2(japaneseDate.match(shown[2]).hasMatch() && japaneseDate.match(shown[5]).hasMatch(),
             qPrintable(shown.join('|')));
  }

  void listFilterOffersFoldersAndListDocuments() {
    TempFolder root;
    std::filesystem::create_directory(root / "sub");
    for (const char* name : {"named.tvr", "coded", "multi", "notes.txt"})
      legacy::WriteBytes(root / name, "");
    legacy::WriteBytes(root / "._coded", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt5"));
    legacy::WriteBytes(root / "._multi", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt6"));
    ListFileFilter filter(*RegisteredFileType("List"));
    const std::pair<const char*, bool> offered[] = {{"sub", true},
                                                    {"named.tvr", true},
                                                    {"coded", true},
                                                    {"multi", false},
                                                    {"notes.txt", false}};
    for (auto [name, want] : offered) QVERIFY2(filter.Offers(FromPath(root / name)) == want, name);
  }
};

TAVR_SHELL_TEST_MAIN(FileDialogsTest)
#include "file_dialogs_test.moc"
