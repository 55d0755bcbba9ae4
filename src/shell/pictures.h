#pragma once
// The pictures and help documents that ship beside the program, and the five
// picture getters. Each getter keeps the picture once it has been read; a
// picture that could not be read is looked for again at the next call.

#include <QPixmap>
#include <QString>

// The folder "Resources" beside the folder that holds the executable (in a
// macOS bundle, Contents/Resources). Empty when it does not exist.
QString ResourcesFolder();
// Points ResourcesFolder at `folder`; an empty text restores the folder
// beside the executable.
void SetResourcesFolder(const QString& folder);

// Null pixmaps when the picture could not be read.
QPixmap conv();
QPixmap conv2();
QPixmap file32();
QPixmap getFolder();
QPixmap winBottom();
