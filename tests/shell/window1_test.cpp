// The main window: the toolbar's batch buttons, the striped document list,
// and what closing it does.

#include <QSignalSpy>
#include <QToolButton>

#include "shell/toolbar1.h"
#include "shell_test_main.h"

// What is drawn near the right edge of a cell, clear of its text; column -1
// is the list's right edge.
static QColor CellColour(int row, int column) {
  const QImage viewport = List()->viewport()->grab().toImage();
  const QRect cell = List()->visualRect(List()->Rows()->index(row, std::max(column, 0)));
  const int right = column < 0 ? viewport.width() : std::min(cell.right(), viewport.width() - 1);
  return viewport.pixelColor(right - 2, cell.center().y());
}

static void AddRows(int count) {
  for (int row = 0; row < count; ++row) List()->AddRow(QStringLiteral("doc%1.tvr").arg(row));
}

class Window1Test : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    List()->DeleteAllRows();
    Window1()->show();
  }

  void batchButtonsFollowTheSelection() {
    auto* bar = Window1()->findChild<Toolbar1*>(QStringLiteral("Toolbar11"));
    for (QAction* item : {bar->ToolItem1, bar->ToolItem2, bar->ToolItem3, bar->ToolItem4}) {
      QVERIFY2(!item->icon().isNull(), qPrintable(item->objectName()));
    }
    const auto batch = [bar] {
      return QList<bool>{bar->ToolItem2->isEnabled(), bar->ToolItem3->isEnabled()};
    };
    AddRows(5);
    QCOMPARE(batch(), QList<bool>(2, false));
    SelectRows({0, 2});
    QCOMPARE(batch(), QList<bool>(2, true));
    SelectRows({});
    QCOMPARE(batch(), QList<bool>(2, false));
    QVERIFY(bar->ToolItem1->isEnabled() && bar->ToolItem4->isEnabled());
  }

  void listStripesOddRowsInEveryColumn() {
    AddRows(5);
    const QColor stripe(237, 243, 254), base = List()->palette().color(QPalette::Base);
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column)
        QCOMPARE(CellColour(row, column), row % 2 ? stripe : base);
    }
    // Widened, the stripe reaches the new right edge.
    Window1()->resize(Window1()->width() + 300, Window1()->height() + 100);
    QCoreApplication::processEvents();
    QCOMPARE(CellColour(3, -1), stripe);
  }

  // Close, Quit and the window's close box each end the event loop.
  void closingEndsTheProgram() {
    const std::function<void()> closes[] = {[] { Command("FileClose")->trigger(); },
                                            [] { Command("FileQuit")->trigger(); },
                                            [] { Window1()->close(); }};
    for (const auto& close : closes) {
      Window1()->show();
      QSignalSpy ending(qApp, &QCoreApplication::aboutToQuit);
      QMetaObject::invokeMethod(qApp, close, Qt::QueuedConnection);
      QCOMPARE(QApplication::exec(), 0);
      QCOMPARE(ending.count(), 1);
    }
  }
};

TAVR_SHELL_TEST_MAIN(Window1Test)
#include "window1_test.moc"
