// The folder scan and the conversion commands.

#include "platform/folder_item.h"
#include "window1.h"

void Window1::OpenFolder() {}

void Window1::MakeList(const FolderItem&) {}

void Window1::OpenFile() {}

void Window1::PutFileSingle(const FolderItem&) {}

void Window1::PutFileSelected(bool) {}
