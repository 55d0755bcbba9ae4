// The menu bar: its tree and shortcuts, who handles each command, and the
// one bar the application and the window share.

#include <QMenu>
#include <QPointer>
#include <QSignalSpy>

#include "shell/menu_bar1.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/scripted_services.h"

namespace {

QAction* Item(const char* name) {
  QAction* item = MenuBar1()->findChild<QAction*>(QString::fromLatin1(name));
  if (!item) qFatal("no menu item %s", name);
  return item;
}

}  // namespace

class MenuBar1Test : public QObject {
  Q_OBJECT

 private slots:
  // Runs first: no main window exists yet.
  void fileCommandsWaitForTheMainWindowHelpDoesNot() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    for (const char* name : {"FileClose", "FileOpen", "FileOpenFolder"}) Item(name)->trigger();
    QCOMPARE(quits.count(), 0);
    QVERIFY(services.log.empty());
    Item("HelpReadme")->trigger();
    QCOMPARE(services.log, std::vector<std::string>{"launch"});
  }

  void menusHoldTheirItemsInOrder() {
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
    for (QAction* bar : MenuBar1()->actions()) {
      shown << bar->menu()->objectName() + " " + bar->menu()->title();
      for (QAction* item : bar->menu()->actions()) {
        QStringList row{item->objectName(), item->isSeparator() ? "-" : item->text()};
        if (!item->shortcut().isEmpty()) row << item->shortcut().toString();
        shown << row.join(' ');
      }
    }
    QCOMPARE(shown, want);
    QCOMPARE(Item("FileQuit")->menuRole(), QAction::QuitRole);
    for (QAction* item : MenuBar1()->findChild<QMenu*>("EditMenu")->actions()) {
      QVERIFY2(item->isSeparator() || !item->isEnabled(), qPrintable(item->objectName()));
    }
  }

  void applicationAndWindowShareOneMenuBar() {
    QPointer<class MenuBar1> bar = MenuBar1();
    QCOMPARE(MenuBar1(), bar.data());
    QCOMPARE(App()->MenuBar, bar.data());
    QCOMPARE(Window1()->menuWidget(), bar.data());
    ReleaseWindow1();  // the bar outlives the window that showed it
    QVERIFY(bar);
    QCOMPARE(Window1()->menuWidget(), bar.data());
    QCOMPARE(bar->actions().size(), 3);
  }

  void closeAndQuitEndTheProgram() {
    class Window1* window = Window1();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QSignalSpy quits(App(), &App::quitRequested);
    Item("FileClose")->trigger();
    Item("FileQuit")->trigger();
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(quits.count(), 3);
    for (const QList<QVariant>& quit : quits) QCOMPARE(quit[0].toInt(), 0);
  }
};

TAVR_SHELL_TEST_MAIN(MenuBar1Test)
#include "menu_bar1_test.moc"
