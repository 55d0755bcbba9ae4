// The main window: its opening, size, colours, the document list and the
// strip along the bottom.

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>

#include "shell/canvas.h"
#include "shell/listbox.h"
#include "shell/window1.h"
#include "shell_test_main.h"

namespace {

const QColor kStripe(237, 243, 254);

Listbox* List() { return Window1()->findChild<Listbox*>(QStringLiteral("Listbox1")); }

// The colour drawn near the right edge of a cell, clear of its text.
QColor CellColour(const QImage& viewport, int row, int column) {
  const QRect cell = List()->visualRect(List()->Rows()->index(row, column));
  const int right = std::min(cell.right(), viewport.width() - 1);
  return viewport.pixelColor(right - 3, cell.center().y());
}

void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

}  // namespace

class Window1Test : public QObject {
  Q_OBJECT

 private slots:
  void opensWithItsTitleAndWindowButtons() {
    class Window1* window = Window1();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Tavrin／Tavrinplus ⇒ Tavrinplex"));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(175, 175, 175));
  }

  void contentIs580By300AndNoSmaller() {
    class Window1* window = Window1();
    Settle();
    QCOMPARE(window->centralWidget()->size(), QSize(580, 300));
    window->resize(100, 100);
    Settle();
    QVERIFY(window->centralWidget()->width() >= 580);
    QVERIFY(window->centralWidget()->height() >= 300);
  }

  void listAndStripFollowTheWindowsEdges() {
    class Window1* window = Window1();
    window->resize(window->width() + 200, window->height() + 100);
    Settle();
    const QWidget* content = window->centralWidget();
    const Canvas* strip = window->Canvas1();
    QCOMPARE(strip->height(), 18);
    QCOMPARE(strip->width(), content->width());
    QCOMPARE(strip->geometry().bottom(), content->height() - 1);
    QCOMPARE(List()->geometry(), QRect(0, 0, content->width(), content->height() - 18));
  }

  void listHasThreeHeadedColumnsAndSelectsFreely() {
    Listbox* list = List();
    QStringList headings;
    for (int column = 0; column < 3; ++column) {
      headings << list->Rows()->headerData(column, Qt::Horizontal).toString();
    }
    QCOMPARE(headings, QStringList({"名前", "行種別", "場所（パス）"}));
    QVERIFY(!list->header()->isHidden());
    QCOMPARE(list->header()->sectionSize(0), 200);
    QCOMPARE(list->header()->sectionSize(1), 80);
    QCOMPARE(list->header()->sectionSize(2), list->viewport()->width() - 280);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QVERIFY(!list->dragEnabled());
    QCOMPARE(list->dragDropMode(), QAbstractItemView::NoDragDrop);
    QCOMPARE(list->ListIndex(), -1);  // opens empty, nothing selected
    QCOMPARE(list->ListCount(), 0);
  }

  void oddRowsAreStripedInEveryColumn() {
    Listbox* list = List();
    for (int row = 0; row < 5; ++row) {
      const int added = list->AddRow(QStringLiteral("doc%1.tvr").arg(row));
      list->SetCell(added, 1, QStringLiteral("シングル"));
      list->SetCell(added, 2, QStringLiteral("/tmp/doc%1.tvr").arg(row));
    }
    Settle();
    const QImage viewport = list->viewport()->grab().toImage();
    const QColor base = list->palette().color(QPalette::Base);
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) {
        const QColor want = row % 2 ? kStripe : base;
        QCOMPARE(CellColour(viewport, row, column), want);
      }
    }
  }

  void stripeReachesTheRightEdgeOfAWiderWindow() {
    class Window1* window = Window1();
    window->resize(window->width() + 300, window->height());
    Settle();
    const QImage viewport = List()->viewport()->grab().toImage();
    const int y = List()->visualRect(List()->Rows()->index(1, 2)).center().y();
    QCOMPARE(viewport.pixelColor(viewport.width() - 1, y), kStripe);
  }

  void stripRepeatsThePicturesLeftmostColumn() {
    const QImage picture(QStringLiteral(TAVR_RESOURCES_DIR "/winBottom.jpg"));
    QVERIFY(!picture.isNull());
    const QImage strip = Window1()->Canvas1()->grab().toImage();
    QCOMPARE(strip.height(), picture.height());
    for (int y = 0; y < strip.height(); ++y) {
      const QColor want = picture.pixelColor(0, y);
      for (int x : {0, strip.width() / 2, strip.width() - 1}) {
        QCOMPARE(strip.pixelColor(x, y), want);
      }
    }
  }

  void closingTheWindowEndsTheProgram() {
    QSignalSpy quits(App(), &App::quitRequested);
    Window1()->close();
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits[0][0].toInt(), 0);
  }
};

TAVR_SHELL_TEST_MAIN(Window1Test)
#include "window1_test.moc"
