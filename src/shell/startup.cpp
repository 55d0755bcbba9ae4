#include "startup.h"

#include <QAction>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "app.h"
#include "file_types.h"
#include "menu_bar1.h"
#include "qt_services.h"
#include "shared/globals.h"
#include "shared/text_enco.h"
#include "window1.h"

namespace {

// Qt's own dialogs (file dialogs, standard buttons) speak Japanese like the
// rest of the program, whatever the system's locale; message boxes and
// dialogs are titled like the window, not after the executable.
void SpeakJapanese(class App& app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QGuiApplication::setApplicationDisplayName(kWindowTitle);
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
}

}  // namespace

void _InitFileTypes() { FileTypes::_Initialize(); }

std::unique_ptr<class App> _NewAppInstance(int& argc, char** argv) {
  auto app = std::make_unique<class App>(argc, argv);
  app->MenuBar = ::MenuBar1();
  SpeakJapanese(*app);
  return app;
}

void _ApplicationAddMenuHandlers(class App& app) {
  class MenuBar1* bar = ::MenuBar1();
  QObject::connect(bar->findChild<QAction*>(QStringLiteral("HelpHome")), &QAction::triggered, &app,
                   &App::_HelpHome_Action);
  QObject::connect(bar->findChild<QAction*>(QStringLiteral("HelpReadme")), &QAction::triggered,
                   &app, &App::_HelpReadme_Action);
  QObject::connect(bar->findChild<QAction*>(QStringLiteral("HelpManual")), &QAction::triggered,
                   &app, &App::_HelpManual_Action);
}

void _MakeDefaultView() { ::Window1(); }

void _ReleaseModules() {
  ReleaseWindow1();
  FileTypes::_Release();
  ReleaseMenuBar1();
  gReleaseGlobals();
  gEncRelease();
}

int _Main(int& argc, char** argv) {
  _InitFileTypes();
  std::unique_ptr<class App> app = _NewAppInstance(argc, argv);
  QtServices services;
  Services* previous = InstallServices(&services);
  int status = 0;
  try {
    _ApplicationAddMenuHandlers(*app);
    _MakeDefaultView();
    status = app->exec();
  } catch (const std::exception& error) {
    app->ReportUnhandledException(error.what());
    status = 1;
  } catch (...) {
    app->ReportUnhandledException("原因のわからない例外");
    status = 1;
  }
  _ReleaseModules();
  InstallServices(previous);
  return status;
}
