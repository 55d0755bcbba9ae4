#pragma once
// The program's one window: the toolbar, the document list and the strip
// along the bottom. Commands from the toolbar and the File menu arrive here;
// the window owns the converter that holds the current document's state.
//
// The document list `Listbox1()` is a Listbox (listbox.h): a QTreeView over a
// QStandardItemModel with three columns. A scan adds a row with
// Listbox::AddRow(name), sets the row picture with
// SetRowPicture(row, QIcon(file32())) and fills columns 1 and 2 with SetCell;
// nothing hidden is stored with a row.

#include <QMainWindow>
#include <cstdint>

#include "conversion/list_converter.h"
#include "platform/services.h"

class Canvas;
class FolderItem;
class Listbox;
class QAction;
class Toolbar1;

// The window's title once it has opened; the program's message boxes and
// dialogs carry it too (as the application's display name).
extern const QString kWindowTitle;

class Window1 : public QMainWindow, public ::Window {
  Q_OBJECT

 public:
  // Builds and shows the window, then runs its opening (Event_Open).
  Window1();
  ~Window1() override;

  Toolbar1* Toolbar11() const { return toolbar11_; }
  Listbox* Listbox1() const { return listbox1_; }
  Canvas* Canvas1() const { return canvas1_; }

  void Toolbar11_Action(Toolbar1* toolbar, QAction* item);
  void Toolbar11_Open(Toolbar1* toolbar);
  // Fills every cell of an odd row; answers false: the list still draws the
  // rest of the cell.
  bool Listbox1_CellBackgroundPaint(Listbox* list, QPainter* g, const QRect& cell, int row,
                                    int column);
  void Listbox1_Change(Listbox* list);
  void Canvas1_Paint(Canvas* canvas, QPainter* g);

  // Connects the File commands that this window handles.
  void AddMenuHandlers(class Window1* window);
  void Event_Open();

  bool _FileOpen_Action();
  bool _FileOpenFolder_Action();
  bool _FileClose_Action();

 protected:
  void closeEvent(QCloseEvent* event) override;

  bool FileConv(const FolderItem& source, const FolderItem& target);
  bool CheckMulti(const FolderItem& file);
  void InitApp();
  void InitVal();
  void LoadPref();

  // The workflow (window1_workflow.cpp).
  void OpenFolder();
  void MakeList(const FolderItem& folder);
  void OpenFile();
  void PutFileSingle(const FolderItem& source);
  void PutFileSelected(bool toOtherFolder);

  // Rows the folder scan has added since the list was last emptied.
  std::int32_t pCnt = 0;
  // The current document's state (pPref, pPrefS, pCinfo, pCname, pCcolor).
  ListConverter converter_;

 private:
  void Layout();
  void CreateControls();
  void _CreateControls0();

  Toolbar1* toolbar11_ = nullptr;
  Listbox* listbox1_ = nullptr;
  Canvas* canvas1_ = nullptr;
};

// The main window: the one the program holds, made (and opened) when there
// is none.
class Window1* Window1();
// The main window when the program holds one; never makes one.
class Window1* ExistingWindow1();
// Destroys the main window the program holds (at exit).
void ReleaseWindow1();
