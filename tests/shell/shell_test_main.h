#pragma once
// The start of every widget test program: the program's own start-up up to
// (not including) the main window, which each test makes when it needs it
// through Window1(). Settings come from an empty folder of their own; the
// pictures and help documents from the source tree.

#include <QTemporaryDir>
#include <QtTest>

#include "shell/app.h"
#include "shell/pictures.h"
#include "shell/startup.h"

#define TAVR_SHELL_TEST_MAIN(TestClass)                          \
  int main(int argc, char** argv) {                              \
    QTemporaryDir settings;                                      \
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());   \
    qputenv("HOME", settings.path().toLocal8Bit());              \
    _InitFileTypes();                                            \
    auto app = _NewAppInstance(argc, argv);                      \
    _ApplicationAddMenuHandlers(*app);                           \
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR));      \
    int status = 0;                                              \
    {                                                            \
      TestClass test;                                            \
      status = QTest::qExec(&test, argc, argv);                  \
    }                                                            \
    _ReleaseModules();                                           \
    return status;                                               \
  }
