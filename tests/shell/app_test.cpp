// The application and its menu bar: the menu tree and who handles each
// command, the Help commands, the legacy settings read when the main window
// opens, Qt's Japanese texts, and an exception that escapes a command.

#include <QDialogButtonBox>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <fstream>
#include <sstream>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"

using Log = std::vector<std::string>;

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR)); }

  // Runs first: no main window and no legacy preference file yet.
  void fileCommandsWaitForTheMainWindowHelpCommandsDoNot() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Action};
    QSignalSpy quits(App(), &App::quitRequested);
    for (const char* name : {"FileClose", "FileOpen", "FileOpenFolder"}) Command(name)->trigger();
    QCOMPARE(quits.count(), 0);
    QVERIFY(services.log.empty());

    for (const char* name : {"HelpReadme", "HelpManual", "HelpHome", "HelpHome"}) {
      Command(name)->trigger();  // the home page sheet makes the main window first
    }
    const QDir japanese(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj"));
    QCOMPARE(FromPath(services.launched.at(0)), japanese.filePath("お読み下さい.rtf"));
    QCOMPARE(FromPath(services.launched.at(1)), japanese.filePath("簡易マニュアル.rtf"));
    const std::string address = kHomePageAddress;
    QCOMPARE(services.log, (Log{"launch", "launch", "caution", "caution", "url"}));  // no beep
    QCOMPARE(services.urls, Log{address});  // only when confirmed
    const CautionDialog& dialog = services.cautions.at(0).dialog;
    QCOMPARE(dialog.window, static_cast<::Window*>(Window1()));
    QCOMPARE(dialog.actionCaption + "/" + dialog.cancelCaption, std::string("接続する/キャンセル"));
    QVERIFY(dialog.cancelVisible && !dialog.alternateVisible);
    QCOMPARE(dialog.message, std::string("Tavrinコンバータのホームページに接続しますか？"));
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
    QCOMPARE(gListCre, std::string("qZt5"));
    for (std::int32_t value : gPref) QCOMPARE(value, 0);
  }

  void oneMenuBarHoldsItsItemsInOrder() {
    QPointer<class MenuBar1> bar = MenuBar1();
    QCOMPARE(MenuBar1(), bar.data());
    QCOMPARE(App()->MenuBar, bar.data());
    QCOMPARE(Window1()->menuWidget(), bar.data());
    ReleaseWindow1();  // the bar outlives the window that showed it
    QVERIFY(bar);
    QCOMPARE(Window1()->menuWidget(), bar.data());

    // Name, text ("-" for a separator), shortcut; a menu's row has no shortcut.
    const QStringList want = {
        "FileMenu ファイル", "FileClose 閉じる Ctrl+W", "UntitledSeparator -",
        "FileOpen ファイルを指定して変換… Ctrl+O", "FileOpenFolder 書類を抽出… Ctrl+Shift+O",
        "FileQuit &Quit Ctrl+Q", "EditMenu 編集", "EditUndo 取り消す Ctrl+Z",
        "EditRedo やり直す Ctrl+Shift+Z", "UntitledMenu1 -", "EditCut カット Ctrl+X",
        "EditCopy コピー Ctrl+C", "EditPaste ペースト Ctrl+V", "EditClear 削除",
        "UntitledMenu0 -", "EditSelectAll すべてを選択 Ctrl+A", "Help Help",
        "HelpHome ホームページに接続...", "UntitledSeparator0 -", "HelpReadme お読み下さい",
        "HelpManual 簡易マニュアル"};
    QStringList shown;
    for (QAction* menu : bar->actions()) {
      shown << menu->menu()->objectName() + " " + menu->menu()->title();
      for (QAction* item : menu->menu()->actions()) {
        QStringList row{item->objectName(), item->isSeparator() ? "-" : item->text()};
        if (!item->shortcut().isEmpty()) row << item->shortcut().toString();
        shown << row.join(' ');
      }
    }
    QCOMPARE(shown, want);
    QCOMPARE(Command("FileQuit")->menuRole(), QAction::QuitRole);
    for (QAction* item : bar->findChild<QMenu*>("EditMenu")->actions()) {
      QVERIFY2(item->isSeparator() || !item->isEnabled(), qPrintable(item->objectName()));
    }
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    legacy::Document settings;  // its header and numbers are laid out as a document's
    settings.header = "pref";
    settings.prefNumbers.assign(23, "0");
    settings.prefNumbers[10] = "1";  // beep before every caution
    settings.prefNumbers[21] = "2";  // scrollKind
    settings.prefNumbers[22] = "5";  // anything but 0 makes winGeo 0
    std::filesystem::create_directories(PreferencesFolder() / "Tavrin初期設定");
    legacy::WriteBytes(PreferencesFolder() / "Tavrin初期設定" / "pref", settings.PrefBlockBytes());
    ReleaseWindow1();
    Window1();  // a new window runs its opening again

    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Command("HelpHome")->trigger();
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

  // Copies beside Japanese.lproj, or no resources at all: not found.
  void helpDocumentsOutsideTheJapaneseFolderAreNotFound() {
    ScriptedServices services;
    QTemporaryDir elsewhere;
    QDir(elsewhere.path()).mkdir("Japanese.lproj");
    QFile::copy(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj/お読み下さい.rtf"),
                elsewhere.filePath("お読み下さい.rtf"));
    for (const QString& resources : {elsewhere.path(), elsewhere.filePath("gone")}) {
      SetResourcesFolder(resources);
      Command("HelpReadme")->trigger();
    }
    QCOMPARE(services.log, (Log{"msgbox", "msgbox"}));
    QCOMPARE(services.messageBoxes, (Log{"File Not Found.", "File Not Found."}));
  }

  void qtsOwnTextsAreJapanese() {
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    QMetaObject::invokeMethod(
        App(), [] { throw std::runtime_error("列数が読めません"); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits[0][0].toInt(), 1);
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
