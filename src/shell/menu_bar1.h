#pragma once
// The one menu bar: File ("ファイル"), Edit ("編集") and Help ("Help").
// Menus and items are found by their object names ("FileMenu", "FileOpen",
// "HelpReadme", ...). The bar attaches no command of its own except the quit
// item's: the main window connects the File commands, the application object
// the Help commands, and the Edit items stay disabled.

#include <QMenuBar>

class QMenu;

class MenuBar1 : public QMenuBar {
  Q_OBJECT

 public:
  MenuBar1();

  void Untitled0();  // builds the File menu
  void Untitled1();  // builds the Edit menu
  void Untitled2();  // builds the Help menu

 private:
  QMenu* AppendMenu(const char* name, const QString& text);
  // `shortcut` in the "Cmd+Shift+O" form; empty for none.
  QAction* AppendItem(QMenu* menu, const char* name, const QString& text, const char* shortcut);
  void AppendSeparator(QMenu* menu, const char* name);
};

// The shared menu bar, made (and built) on the first call. A window that
// shows it hands it back when it is destroyed.
class MenuBar1* MenuBar1();
// Destroys the shared menu bar (at exit, after the windows).
void ReleaseMenuBar1();
