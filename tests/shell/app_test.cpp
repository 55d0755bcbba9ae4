// The application object: the Help commands, the legacy settings read when
// the main window opens, Qt's Japanese texts, and an escaping exception.

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <fstream>
#include <sstream>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"
#include "shell/menu_bar1.h"
#include "shell/qt_text.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"

namespace {

void Choose(const char* item) { MenuBar1()->findChild<QAction*>(item)->trigger(); }

using Log = std::vector<std::string>;

// A legacy preference file holding `numbers` and no strings.
void WriteLegacyPreferences(const std::vector<int>& numbers) {
  const std::filesystem::path folder = PreferencesFolder() / "Tavrin初期設定";
  std::filesystem::create_directories(folder);
  std::string bytes;
  legacy::AppendShortString(bytes, "pref");
  legacy::AppendLong(bytes, static_cast<std::int32_t>(numbers.size()));
  for (int number : numbers) legacy::AppendShortString(bytes, std::to_string(number));
  legacy::AppendLong(bytes, 0);
  legacy::WriteBytes(folder / "pref", bytes);
}

struct Thrower : QObject {
  bool event(QEvent*) override { throw std::runtime_error("列数が読めません"); }
};

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR)); }

  // Runs before any window opens, with no legacy preference file.
  void withoutLegacyPreferencesNoCautionBeeps() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Choose("HelpHome");  // makes the main window first: there is none
    QCOMPARE(services.cautions.at(0).dialog.window, static_cast<::Window*>(Window1()));
    QCOMPARE(gListCre, std::string("qZt5"));
    for (std::int32_t value : gPref) QCOMPARE(value, 0);
    QCOMPARE(services.log, Log{"caution"});
  }

  void homePageOpensOnlyWhenConfirmed() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Action};
    Choose("HelpHome");
    QVERIFY(services.urls.empty());
    Choose("HelpHome");
    const std::string address = kHomePageAddress;
    QCOMPARE(services.urls, Log{address});
    const CautionDialog& dialog = services.cautions.at(1).dialog;
    QCOMPARE(dialog.actionCaption + "/" + dialog.cancelCaption, std::string("接続する/キャンセル"));
    QVERIFY(dialog.cancelVisible && !dialog.alternateVisible);
    QCOMPARE(dialog.message, std::string("Tavrinコンバータのホームページに接続しますか？"));
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    std::vector<int> numbers(23, 0);
    numbers[10] = 1;  // beep before every caution
    numbers[21] = 2;  // scrollKind
    numbers[22] = 5;  // anything but 0 makes winGeo 0
    WriteLegacyPreferences(numbers);
    ReleaseWindow1();
    Window1();  // a new window runs its opening again

    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Choose("HelpHome");
    QCOMPARE(services.log, (Log{"beep", "caution"}));

    QTemporaryDir folder;
    const std::filesystem::path source = ToPath(folder.filePath("a.tvr"));
    legacy::WriteDocument(source, legacy::Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
    const FolderItem package(source.string() + ".tvrmd");
    QVERIFY(ListConverter().FileConv(FolderItem(source), package));
    std::ostringstream pref;
    pref << std::ifstream(package.Child("pref").Path()).rdbuf();
    QVERIFY(pref.str().find("<key>scrollKind</key>\n<integer>2</integer>\n") != std::string::npos);
    QVERIFY(pref.str().find("<key>winGeo</key>\n<integer>0</integer>\n") != std::string::npos);
  }

  void helpDocumentsOpenFromTheJapaneseFolderOnly() {
    ScriptedServices services;
    Choose("HelpReadme");
    Choose("HelpManual");
    QCOMPARE(services.launched.size(), size_t{2});
    const QDir japanese(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj"));
    QCOMPARE(FromPath(services.launched[0]), japanese.filePath("お読み下さい.rtf"));
    QCOMPARE(FromPath(services.launched[1]), japanese.filePath("簡易マニュアル.rtf"));

    // Copies beside Japanese.lproj, or no resources at all: not found.
    QTemporaryDir elsewhere;
    QDir(elsewhere.path()).mkdir("Japanese.lproj");
    QFile::copy(japanese.filePath("お読み下さい.rtf"), elsewhere.filePath("お読み下さい.rtf"));
    for (const QString& resources : {elsewhere.path(), elsewhere.filePath("gone")}) {
      SetResourcesFolder(resources);
      Choose("HelpReadme");
    }
    QCOMPARE(services.launched.size(), size_t{2});
    QCOMPARE(services.messageBoxes, (Log{"File Not Found.", "File Not Found."}));
  }

  void qtsOwnTextsAreJapanese() {
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits[0][0].toInt(), 1);
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
