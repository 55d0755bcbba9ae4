#pragma once
// The life of the process, in the order the steps run: the file types, the
// application object with its menu bar, the Help handlers, the main window,
// the event loop, and the release at exit.

#include <memory>

class App;

// The whole program; answers the process's exit status.
int _Main(int& argc, char** argv);

void _InitFileTypes();
// Makes the application object and gives it the shared menu bar, Qt's own
// Japanese texts and the window's title for its message boxes.
std::unique_ptr<class App> _NewAppInstance(int& argc, char** argv);
void _ApplicationAddMenuHandlers(class App& app);
void _MakeDefaultView();
// The main window, the file types, the menu bar, the settings and the
// converters, in this order.
void _ReleaseModules();
