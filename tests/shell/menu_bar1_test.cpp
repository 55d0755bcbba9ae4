// The menu bar: its tree, shortcuts and who handles each command.

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>

#include "shell/menu_bar1.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/scripted_services.h"

namespace {

struct Item {
  const char* name;
  const char* text;      // nullptr: a separator
  const char* shortcut;  // portable text
};

struct Menu {
  const char* name;
  const char* title;
  std::vector<Item> items;
};

const std::vector<Menu> kMenus = {
    {"FileMenu",
     "ファイル",
     {{"FileClose", "閉じる", "Ctrl+W"},
      {"UntitledSeparator", nullptr, ""},
      {"FileOpen", "ファイルを指定して変換…", "Ctrl+O"},
      {"FileOpenFolder", "書類を抽出…", "Ctrl+Shift+O"},
      {"FileQuit", "&Quit", "Ctrl+Q"}}},
    {"EditMenu",
     "編集",
     {{"EditUndo", "取り消す", "Ctrl+Z"},
      {"EditRedo", "やり直す", "Ctrl+Shift+Z"},
      {"UntitledMenu1", nullptr, ""},
      {"EditCut", "カット", "Ctrl+X"},
      {"EditCopy", "コピー", "Ctrl+C"},
      {"EditPaste", "ペースト", "Ctrl+V"},
      {"EditClear", "削除", ""},
      {"UntitledMenu0", nullptr, ""},
      {"EditSelectAll", "すべてを選択", "Ctrl+A"}}},
    {"Help",
     "Help",
     {{"HelpHome", "ホームページに接続...", ""},
      {"UntitledSeparator0", nullptr, ""},
      {"HelpReadme", "お読み下さい", ""},
      {"HelpManual", "簡易マニュアル", ""}}},
};

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
  void fileCommandsNeedTheMainWindowButHelpDoesNot() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    Item("FileClose")->trigger();
    Item("FileOpen")->trigger();
    Item("FileOpenFolder")->trigger();
    QCOMPARE(quits.count(), 0);
    QVERIFY(services.log.empty());

    Item("HelpReadme")->trigger();
    QCOMPARE(services.launched.size(), size_t{1});
  }

  void menusStandInOrderWithTheirItemsAndShortcuts() {
    const QList<QAction*> bar = MenuBar1()->actions();
    QCOMPARE(bar.size(), qsizetype(kMenus.size()));
    for (size_t m = 0; m < kMenus.size(); ++m) {
      const Menu& expected = kMenus[m];
      QMenu* menu = bar[m]->menu();
      QVERIFY(menu);
      QCOMPARE(menu->objectName(), QString::fromLatin1(expected.name));
      QCOMPARE(menu->title(), QString::fromUtf8(expected.title));
      const QList<QAction*> items = menu->actions();
      QCOMPARE(items.size(), qsizetype(expected.items.size()));
      for (size_t i = 0; i < expected.items.size(); ++i) {
        const auto& want = expected.items[i];
        QAction* item = items[i];
        QCOMPARE(item->objectName(), QString::fromLatin1(want.name));
        QCOMPARE(item->isSeparator(), want.text == nullptr);
        if (want.text) QCOMPARE(item->text(), QString::fromUtf8(want.text));
        QCOMPARE(item->shortcut().toString(QKeySequence::PortableText),
                 QString::fromLatin1(want.shortcut));
      }
    }
    QCOMPARE(Item("FileQuit")->menuRole(), QAction::QuitRole);
  }

  void editItemsHaveNoHandlerAndShowGreyed() {
    for (const char* name : {"EditUndo", "EditRedo", "EditCut", "EditCopy", "EditPaste",
                             "EditClear", "EditSelectAll"}) {
      QVERIFY2(!Item(name)->isEnabled(), name);
    }
    for (const char* name : {"FileClose", "FileOpen", "FileOpenFolder", "FileQuit", "HelpHome",
                             "HelpReadme", "HelpManual"}) {
      QVERIFY2(Item(name)->isEnabled(), name);
    }
  }

  void applicationAndWindowShareOneMenuBar() {
    class MenuBar1* first = MenuBar1();
    QCOMPARE(MenuBar1(), first);
    QCOMPARE(App()->MenuBar, first);
    QCOMPARE(Window1()->menuWidget(), first);
    // Built once: asking again adds no menu.
    QCOMPARE(first->actions().size(), 3);
  }

  void menuBarOutlivesTheWindowThatShowedIt() {
    QPointer<class MenuBar1> bar = MenuBar1();
    Window1();
    ReleaseWindow1();
    QVERIFY(bar);
    QCOMPARE(App()->MenuBar, bar.data());
    QCOMPARE(Window1()->menuWidget(), bar.data());
  }

  void closeAndQuitEndTheProgram() {
    Window1();
    QSignalSpy quits(App(), &App::quitRequested);
    Item("FileClose")->trigger();
    Item("FileQuit")->trigger();
    QCOMPARE(quits.count(), 2);
    QCOMPARE(quits[0][0].toInt(), 0);
    QCOMPARE(quits[1][0].toInt(), 0);
    QVERIFY(Window1()->isVisible());  // closing is quitting: no window is closed first
  }

  void closeShortcutReachesTheWindowsHandler() {
    class Window1* window = Window1();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QSignalSpy quits(App(), &App::quitRequested);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(quits.count(), 1);
  }
};

TAVR_SHELL_TEST_MAIN(MenuBar1Test)
#include "menu_bar1_test.moc"
