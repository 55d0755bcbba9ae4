// The main window: its title and size, the toolbar, the striped document
// list, and what closing it does.

#include <QHeaderView>
#include <QSignalSpy>
#include <QToolButton>

#include "shell/toolbar1.h"
#include "shell_test_main.h"

// What is drawn near the right edge of a cell, clear of its text.
static QColor CellColour(int row, int column) {
  const QImage viewport = List()->viewport()->grab().toImage();
  const QRect cell = List()->visualRect(List()->Rows()->index(row, column));
  return viewport.pixelColor(std::min(cell.right(), viewport.width() - 1) - 2, cell.center().y());
}

class Window1Test : public QObject {
  Q_OBJECT

 private slots:
  void opensTitledWithItsContent580By300AndNoSmaller() {
    class Window1* window = Window1();
    QCoreApplication::processEvents();
    QCOMPARE(window->windowTitle(), QStringLiteral("Tavrin／Tavrinplus ⇒ Tavrinplex"));
    QCOMPARE(window->centralWidget()->size(), QSize(580, 300));
    window->resize(100, 100);
    QCoreApplication::processEvents();
    QVERIFY(window->centralWidget()->width() >= 580 && window->centralWidget()->height() >= 300);
  }

  void toolbarShowsItsCommandsInOrderBatchesOnlyForASelection() {
    auto* bar = Window1()->findChild<Toolbar1*>(QStringLiteral("Toolbar11"));
    QStringList shown;
    for (QAction* item : bar->actions()) {
      shown << item->objectName();
      if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(item))) {
        QVERIFY(!button->icon().isNull());
        shown << button->text() << button->toolTip();
      }
    }
    QCOMPARE(shown, QStringList({
        "ToolItem1", "書類を抽出", "抽出のためのスキャンを開始するフォルダを指定します。",
        "ToolItem2", "同一場所に変換", "元の書類と同じフォルダ内に出力します。",
        "ToolItem3", "別場所に変換", "保存ダイアログで指定したフォルダ内に出力します。", "ToolItem5", "ToolItem6",
        "ToolItem4", "ファイルを指定して変換", "ファイルを一つずつ指定して変換します。"}));
    QVERIFY(Command("ToolItem6")->isSeparator());

    const auto batch = [] { return QList<bool>{Command("ToolItem2")->isEnabled(), Command("ToolItem3")->isEnabled()}; };
    for (int row = 0; row < 5; ++row) List()->AddRow(QStringLiteral("doc%1.tvr").arg(row));
    QCOMPARE(batch(), QList<bool>(2, false));
    SelectRows({0, 2});
    QCOMPARE(batch(), QList<bool>(2, true));
    SelectRows({});
    QCOMPARE(batch(), QList<bool>(2, false));
    QVERIFY(Command("ToolItem1")->isEnabled() && Command("ToolItem4")->isEnabled());
  }

  // Runs on the five rows the toolbar test added.
  void listStripesOddRowsInEveryColumn() {
    const QStringList headings{"名前", "行種別", "場所（パス）"};
    for (int column = 0; column < 3; ++column) QCOMPARE(List()->Rows()->headerData(column, Qt::Horizontal).toString(), headings[column]);
    QCOMPARE(List()->header()->sectionSize(0), 200);
    QCOMPARE(List()->header()->sectionSize(1), 80);
    QCOMPARE(List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    const QColor stripe(237, 243, 254), base = List()->palette().color(QPalette::Base);
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) QCOMPARE(CellColour(row, column), row % 2 ? stripe : base);
    }
    // Widened, the last column and its stripe reach the new right edge.
    Window1()->resize(Window1()->width() + 300, Window1()->height() + 100);
    QCoreApplication::processEvents();
    QCOMPARE(List()->header()->sectionSize(2), List()->viewport()->width() - 280);
    QCOMPARE(CellColour(3, 2), stripe);
  }

  // Close, Quit and the window's close box all end the program.
  void closingEndsTheProgram() {
    QSignalSpy quits(App(), &App::quitRequested);
    Command("FileClose")->trigger();
    Command("FileQuit")->trigger();
    Window1()->close();
    QCOMPARE(quits.count(), 3);
    for (const QList<QVariant>& quit : quits) QCOMPARE(quit[0].toInt(), 0);
  }
};

TAVR_SHELL_TEST_MAIN(Window1Test)
#include "window1_test.moc"
