#include "menu_bar1.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include "app.h"

namespace {

QPointer<class MenuBar1> gMenuBar1;

}  // namespace

MenuBar1::MenuBar1() {
  setObjectName(QStringLiteral("MenuBar1"));
  Untitled0();
  Untitled1();
  Untitled2();
}

void MenuBar1::Untitled0() {
  QMenu* menu = AppendMenu("FileMenu", QStringLiteral("ファイル"));
  AppendItem(menu, "FileClose", QStringLiteral("閉じる"), "Cmd+W");
  AppendSeparator(menu, "UntitledSeparator");
  AppendItem(menu, "FileOpen", QStringLiteral("ファイルを指定して変換…"), "Cmd+O");
  AppendItem(menu, "FileOpenFolder", QStringLiteral("書類を抽出…"), "Cmd+Shift+O");
  QAction* quit = AppendItem(menu, "FileQuit", QStringLiteral("&Quit"), "Cmd+Q");
  quit->setMenuRole(QAction::QuitRole);
  connect(quit, &QAction::triggered, this, [] { Quit(0); });
}

void MenuBar1::Untitled1() {
  QMenu* menu = AppendMenu("EditMenu", QStringLiteral("編集"));
  AppendItem(menu, "EditUndo", QStringLiteral("取り消す"), "Cmd+Z");
  AppendItem(menu, "EditRedo", QStringLiteral("やり直す"), "Cmd+Shift+Z");
  AppendSeparator(menu, "UntitledMenu1");
  AppendItem(menu, "EditCut", QStringLiteral("カット"), "Cmd+X");
  AppendItem(menu, "EditCopy", QStringLiteral("コピー"), "Cmd+C");
  AppendItem(menu, "EditPaste", QStringLiteral("ペースト"), "Cmd+V");
  AppendItem(menu, "EditClear", QStringLiteral("削除"), "");
  AppendSeparator(menu, "UntitledMenu0");
  AppendItem(menu, "EditSelectAll", QStringLiteral("すべてを選択"), "Cmd+A");
  // Nothing handles these: they show greyed.
  for (QAction* item : menu->actions()) {
    if (!item->isSeparator()) item->setEnabled(false);
  }
}

void MenuBar1::Untitled2() {
  QMenu* menu = AppendMenu("Help", QStringLiteral("Help"));
  AppendItem(menu, "HelpHome", QStringLiteral("ホームページに接続..."), "");
  AppendSeparator(menu, "UntitledSeparator0");
  AppendItem(menu, "HelpReadme", QStringLiteral("お読み下さい"), "");
  AppendItem(menu, "HelpManual", QStringLiteral("簡易マニュアル"), "");
}

QMenu* MenuBar1::AppendMenu(const char* name, const QString& text) {
  auto* menu = new QMenu(text, this);
  menu->setObjectName(QString::fromLatin1(name));
  addMenu(menu);
  return menu;
}

QAction* MenuBar1::AppendItem(QMenu* menu, const char* name, const QString& text,
                              const char* shortcut) {
  auto* item = new QAction(text, menu);
  item->setObjectName(QString::fromLatin1(name));
  // Qt's Ctrl is the Command key on macOS.
  QString keys = QString::fromLatin1(shortcut);
  keys.replace(QStringLiteral("Cmd+"), QStringLiteral("Ctrl+"));
  item->setShortcut(QKeySequence(keys, QKeySequence::PortableText));
  menu->addAction(item);
  return item;
}

void MenuBar1::AppendSeparator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

class MenuBar1* MenuBar1() {
  if (!gMenuBar1) gMenuBar1 = new class MenuBar1;
  return gMenuBar1;
}

void ReleaseMenuBar1() { delete gMenuBar1.data(); }
