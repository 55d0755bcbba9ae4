#pragma once
// The application object: the Help commands, and the one place where an
// exception that escapes a command is caught.

#include <QApplication>

class MenuBar1;

// The maker's home page, offered by Help "ホームページに接続...".
extern const char* const kHomePageAddress;

class App : public QApplication {
  Q_OBJECT

 public:
  App(int& argc, char** argv);

  // The Help commands; each answers true: the command was handled.
  bool _HelpHome_Action();
  bool _HelpReadme_Action();
  bool _HelpManual_Action();

  // The menu bar the application shows when no window shows one (macOS).
  class MenuBar1* MenuBar = nullptr;

  // Shows an exception that escaped a command, then quits with status 1.
  void ReportUnhandledException(const char* what);

  // Catches what a command throws, so that nothing aborts the program.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  bool OpenHelpDocument(const QString& name);
};

// The application object.
class App* App();
// Ends the program with `status`: the event loop returns and the release
// runs. Does nothing outside the event loop.
void Quit(int status);
