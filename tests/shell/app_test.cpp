// The application and its menu bar: the menu tree, the Help commands, the legacy
// settings read when the main window opens, the caution dialogs and the open
// dialog's filter done with Qt, and an exception that escapes a command.

#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <functional>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/start_up_values.h"
#include "shell/list_file_filter.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

using Log = std::vector<std::string>;

// Runs `handle` on the first visible top-level widget of type T.
template <typename T>
void WhenShown(std::function<void(T*)> handle) {
  QTimer::singleShot(10, [handle] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return handle(found);
    }
    WhenShown<T>(handle);
  });
}

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR)); }

  // Runs before any legacy preference file exists: no beep.
  void helpOpensItsDocumentsFromJapaneseLprojAndTheHomePageOnlyWhenConfirmed() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Action};
    for (const char* name : {"HelpReadme", "HelpManual", "HelpHome", "HelpHome"}) Command(name)->trigger();
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR "/gone"));
    Command("HelpReadme")->trigger();
    QCOMPARE(services.messageBoxes, Log{"File Not Found."});
    const QDir japanese(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj"));
    QCOMPARE(FromPath(services.launched.at(0)), japanese.filePath("お読み下さい.rtf"));
    QCOMPARE(FromPath(services.launched.at(1)), japanese.filePath("簡易マニュアル.rtf"));
    const std::string address = kHomePageAddress;
    QCOMPARE(services.log, (Log{"launch", "launch", "caution", "caution", "url", "msgbox"}));
    QCOMPARE(services.urls, Log{address});
    const CautionDialog& dialog = services.cautions.at(0).dialog;
    QCOMPARE(dialog.window, static_cast<::Window*>(Window1()));
    QCOMPARE(dialog.actionCaption + "/" + dialog.cancelCaption, std::string("接続する/キャンセル"));
    QVERIFY(dialog.cancelVisible && !dialog.alternateVisible);
    QCOMPARE(dialog.message, std::string("Tavrinコンバータのホームページに接続しますか？"));
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
  }

  void oneMenuBarHoldsItsItemsInOrder() {
    QPointer<class MenuBar1> bar = MenuBar1();
    QCOMPARE(App()->MenuBar, bar.data());
    QCOMPARE(Window1()->menuWidget(), bar.data());
    ReleaseWindow1();  // the bar outlives the window that showed it
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
    for (QAction* item : bar->findChild<QMenu*>("EditMenu")->actions())
      QVERIFY2(item->isSeparator() || !item->isEnabled(), qPrintable(item->objectName()));
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

    TempFolder folder;
    legacy::WriteDocument(folder / "a.tvr", legacy::Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
    QVERIFY(ListConverter().FileConv(FolderItem(folder / "a.tvr"), FolderItem(folder / "a.tvrmd")));
    const std::string pref = ReadBytes(folder / "a.tvrmd" / "pref");
    QVERIFY(pref.find("<key>scrollKind</key>\n<integer>2</integer>\n") != std::string::npos);
    QVERIFY(pref.find("<key>winGeo</key>\n<integer>0</integer>\n") != std::string::npos);
  }

  void cautionIsAWarningThatAnswersTheButtonPressed() {
    struct Row { bool onWindow; int buttons; const char* press; DialogButton answer; };
    for (const Row& row : {Row{true, 3, "接続する", DialogButton::Action},
                           Row{true, 2, "キャンセル", DialogButton::Cancel},
                           Row{false, 3, "保存しない", DialogButton::Alternate},
                           Row{false, 1, "OK", DialogButton::Action}}) {
      const CautionDialog caution{.window = row.onWindow ? Window1() : nullptr,
                                  .actionCaption = row.buttons == 1 ? "OK" : "接続する",
                                  .cancelVisible = row.buttons >= 2, .cancelCaption = "キャンセル",
                                  .alternateVisible = row.buttons >= 3, .alternateCaption = "保存しない",
                                  .message = "変換が完了しました。", .explanation = "a.tvr"};
      QStringList shown;  // icon, texts, default button, modality, button count
      WhenShown<QMessageBox>([&](QMessageBox* box) {
        shown = QStringList{QString::number(box->icon()), box->text(), box->informativeText(),
                            box->defaultButton() ? box->defaultButton()->text() : QString(),
                            QString::number(box->windowModality()), QString::number(box->buttons().size())};
        for (QAbstractButton* button : box->buttons()) {
          if (button->text() == row.press) return button->click();
        }
        qFatal("no button %s", row.press);
      });
      QCOMPARE(QtServices().ShowCaution(caution), row.answer);
      QCOMPARE(shown, QStringList({QString::number(QMessageBox::Warning), "変換が完了しました。", "a.tvr",
                                   ToQString(caution.actionCaption),
                                   QString::number(row.onWindow ? Qt::WindowModal : Qt::ApplicationModal),
                                   QString::number(row.buttons)}));
    }
  }

  void listFilterOffersFoldersAndListDocuments() {
    TempFolder root;
    std::filesystem::create_directory(root / "sub");
    for (const char* name : {"named.tvr", "coded", "multi", "notes.txt"}) legacy::WriteBytes(root / name, "");
    legacy::WriteBytes(root / "._coded", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt5"));
    legacy::WriteBytes(root / "._multi", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt6"));
    ListFileFilter filter(*RegisteredFileType("List"));
    const std::pair<const char*, bool> offered[] = {
        {"sub", true}, {"named.tvr", true}, {"coded", true}, {"multi", false}, {"notes.txt", false}};
    for (auto [name, want] : offered) QVERIFY2(filter.Offers(FromPath(root / name)) == want, name);
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    QMetaObject::invokeMethod(App(), [] { throw std::runtime_error("列数が読めません"); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits[0][0].toInt(), 1);
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
