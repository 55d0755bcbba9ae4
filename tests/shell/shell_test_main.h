#pragma once
// The start of every widget test program: the program's own start-up short of
// the main window, which Window1() makes when a test needs it. Settings live in
// an empty folder; pictures and help documents come from the source tree.

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "shell/app.h"
#include "shell/listbox.h"
#include "shell/menu_bar1.h"
#include "shell/pictures.h"
#include "shell/startup.h"
#include "shell/window1.h"

// A menu item, or else a toolbar item (which makes the window).
inline QAction* Command(const char* name) {
  QAction* action = MenuBar1()->findChild<QAction*>(QString::fromLatin1(name));
  if (!action) action = Window1()->findChild<QAction*>(QString::fromLatin1(name));
  if (!action) qFatal("no command %s", name);
  return action;
}

inline Listbox* List() { return Window1()->findChild<Listbox*>(QStringLiteral("Listbox1")); }

inline void SelectRows(std::initializer_list<int> rows) {
  List()->clearSelection();
  for (int row : rows)
    List()->selectionModel()->select(List()->Rows()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Runs `answer` on the modal dialog that the next exec() shows, from inside
// that dialog's event loop.
template <typename T>
void WhenShown(std::function<void(T&)> answer) {
  QMetaObject::invokeMethod(
      qApp,
      [answer] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) qFatal("no dialog of the expected kind is shown");
        answer(*dialog);
      },
      Qt::QueuedConnection);
}

// Types `name` into a file dialog's name field (an empty name leaves the
// field as it is) and presses Return there, as a user would.
inline void TypeName(QWidget& dialog, const QString& name) {
  auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!field) qFatal("the dialog has no name field");
  // Typing happens in the active dialog's focused field: the dialog follows
  // the typed name with its selection only there.
  QApplication::setActiveWindow(&dialog);
  field->setFocus();
  if (!name.isEmpty()) field->setText(name);
  QTest::keyClick(field, Qt::Key_Return);
}

#define TAVR_SHELL_TEST_MAIN(TestClass)                        \
  int main(int argc, char** argv) {                            \
    QTemporaryDir settings;                                    \
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit()); \
    qputenv("HOME", settings.path().toLocal8Bit());            \
    _InitFileTypes();                                          \
    auto app = _NewAppInstance(argc, argv);                    \
    _ApplicationAddMenuHandlers(*app);                         \
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR));    \
    const int status = [&] {                                   \
      TestClass test;                                          \
      return QTest::qExec(&test, argc, argv);                  \
    }();                                                       \
    _ReleaseModules();                                         \
    return status;                                             \
  }
