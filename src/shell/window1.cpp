#include "window1.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include "app.h"
#include "canvas.h"
#include "listbox.h"
#include "menu_bar1.h"
#include "pictures.h"
#include "shared/start_up_values.h"
#include "toolbar1.h"

const QString kWindowTitle = QStringLiteral("Tavrin／Tavrinplus ⇒ Tavrinplex");

namespace {

QPointer<class Window1> gWindow1;

const QColor kStripe(237, 243, 254);
const QColor kBackground(175, 175, 175);
const QColor kDisabledText(110, 110, 110);
constexpr int kStripHeight = 18;

}  // namespace

Window1::Window1() : converter_(this) {
  Layout();
  CreateControls();
  AddMenuHandlers(this);
  Event_Open();
  show();
}

Window1::~Window1() {
  // The menu bar is shared with the application: hand it back rather than
  // let it die with this window.
  if (auto* bar = qobject_cast<class MenuBar1*>(menuWidget())) bar->setParent(nullptr);
}

void Window1::Layout() {
  setMenuBar(::MenuBar1());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kBackground);
  // The style's greyed text is meant for a light window; on this grey the
  // captions of disabled buttons would all but vanish.
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, kDisabledText);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledText);
  setPalette(palette);
  setAutoFillBackground(true);
  setWindowTitle(QStringLiteral("Untitled"));
  // Without it the toolbar could be hidden from a context menu, for good.
  setContextMenuPolicy(Qt::NoContextMenu);
}

void Window1::CreateControls() { _CreateControls0(); }

void Window1::_CreateControls0() {
  toolbar11_ = new Toolbar1(this);
  addToolBar(toolbar11_);
  connect(toolbar11_, &QToolBar::actionTriggered, this,
          [this](QAction* item) { Toolbar11_Action(toolbar11_, item); });
  Toolbar11_Open(toolbar11_);

  // The content area below the toolbar: the list over the strip, 580 x 300
  // at the least, both following the window's edges.
  auto* content = new QWidget(this);
  content->setMinimumSize(580, 300);
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  listbox1_ = new Listbox(content);
  listbox1_->setObjectName(QStringLiteral("Listbox1"));
  QFont font = listbox1_->font();
  font.setPixelSize(12);
  listbox1_->setFont(font);
  listbox1_->setRootIsDecorated(false);
  listbox1_->setItemsExpandable(false);
  listbox1_->setUniformRowHeights(true);
  listbox1_->setAllColumnsShowFocus(true);
  listbox1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listbox1_->setSelectionBehavior(QAbstractItemView::SelectRows);
  listbox1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listbox1_->setDragEnabled(false);
  listbox1_->setDragDropMode(QAbstractItemView::NoDragDrop);
  listbox1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  listbox1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  listbox1_->setIconSize(QSize(16, 16));
  // A long path keeps its file name in view.
  listbox1_->setTextElideMode(Qt::ElideMiddle);
  listbox1_->setAttribute(Qt::WA_MacShowFocusRect, false);
  listbox1_->header()->setSectionsMovable(false);
  listbox1_->header()->setStretchLastSection(true);
  listbox1_->header()->resizeSection(0, 200);
  listbox1_->header()->resizeSection(1, 80);
  column->addWidget(listbox1_, 1);
  connect(listbox1_, &Listbox::CellBackgroundPaint, this, &Window1::Listbox1_CellBackgroundPaint);
  connect(listbox1_, &Listbox::Change, this, &Window1::Listbox1_Change);

  canvas1_ = new Canvas(content);
  canvas1_->setObjectName(QStringLiteral("Canvas1"));
  canvas1_->setFixedHeight(kStripHeight);
  column->addWidget(canvas1_);
  connect(canvas1_, &Canvas::Paint, this, &Window1::Canvas1_Paint);

  setCentralWidget(content);
  resize(minimumSizeHint());
}

void Window1::Toolbar11_Open(Toolbar1* toolbar) {
  toolbar->ToolItem1->setIcon(QIcon(getFolder()));
  toolbar->ToolItem2->setIcon(QIcon(conv()));
  toolbar->ToolItem3->setIcon(QIcon(conv()));
  toolbar->ToolItem4->setIcon(QIcon(conv2()));
  toolbar->ToolItem2->setEnabled(false);
  toolbar->ToolItem3->setEnabled(false);
  toolbar->ToolItem1->setToolTip(
      QStringLiteral("抽出のためのスキャンを開始するフォルダを指定します。"));
  toolbar->ToolItem2->setToolTip(QStringLiteral("元の書類と同じフォルダ内に出力します。"));
  toolbar->ToolItem3->setToolTip(
      QStringLiteral("保存ダイアログで指定したフォルダ内に出力します。"));
  toolbar->ToolItem4->setToolTip(QStringLiteral("ファイルを一つずつ指定して変換します。"));
}

void Window1::Toolbar11_Action(Toolbar1*, QAction* item) {
  const QString name = item->objectName();
  if (name == QLatin1String("ToolItem1")) {
    OpenFolder();
  } else if (name == QLatin1String("ToolItem2")) {
    PutFileSelected(false);
  } else if (name == QLatin1String("ToolItem3")) {
    PutFileSelected(true);
  } else if (name == QLatin1String("ToolItem4")) {
    OpenFile();
  }
}

bool Window1::Listbox1_CellBackgroundPaint(Listbox*, QPainter* g, const QRect& cell, int row, int) {
  if (row % 2 != 0) g->fillRect(cell, kStripe);
  return false;
}

void Window1::Listbox1_Change(Listbox* list) {
  const bool anySelected = list->ListIndex() >= 0;
  Toolbar11()->ToolItem2->setEnabled(anySelected);
  Toolbar11()->ToolItem3->setEnabled(anySelected);
}

void Window1::Canvas1_Paint(Canvas* canvas, QPainter* g) {
  // Every pixel column of the strip shows the picture's leftmost column.
  const QPixmap picture = winBottom();
  if (picture.isNull()) return;
  g->drawPixmap(QRect(0, 0, canvas->width(), picture.height()), picture,
                QRect(0, 0, 1, picture.height()));
}

void Window1::AddMenuHandlers(class Window1* window) {
  class MenuBar1* bar = ::MenuBar1();
  connect(bar->findChild<QAction*>(QStringLiteral("FileOpen")), &QAction::triggered, window,
          &Window1::_FileOpen_Action);
  connect(bar->findChild<QAction*>(QStringLiteral("FileOpenFolder")), &QAction::triggered, window,
          &Window1::_FileOpenFolder_Action);
  connect(bar->findChild<QAction*>(QStringLiteral("FileClose")), &QAction::triggered, window,
          &Window1::_FileClose_Action);
}

void Window1::Event_Open() { InitApp(); }

void Window1::InitApp() {
  setWindowTitle(kWindowTitle);
  InitVal();
  LoadPref();
}

void Window1::InitVal() { ::InitVal(); }

void Window1::LoadPref() { ::LoadPref(); }

bool Window1::_FileOpen_Action() {
  OpenFile();
  return true;
}

bool Window1::_FileOpenFolder_Action() {
  OpenFolder();
  return true;
}

bool Window1::_FileClose_Action() {
  Quit(0);
  return true;
}

void Window1::closeEvent(QCloseEvent* event) {
  // Off macOS there is no menu bar for a program without a window to live
  // on: closing the window ends the program.
  event->accept();
  Quit(0);
}

bool Window1::FileConv(const FolderItem& source, const FolderItem& target) {
  return converter_.FileConv(source, target);
}

bool Window1::CheckMulti(const FolderItem& file) { return converter_.CheckMulti(file); }

class Window1* Window1() {
  if (!gWindow1) gWindow1 = new class Window1;
  return gWindow1;
}

class Window1* ExistingWindow1() {
  return gWindow1;
}

void ReleaseWindow1() { delete gWindow1.data(); }
