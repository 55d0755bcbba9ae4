// The toolbar: its items, their captions, pictures and help tags, and the two
// batch buttons following the list's selection.

#include <QAction>
#include <QItemSelectionModel>
#include <QToolButton>

#include "shell/listbox.h"
#include "shell/toolbar1.h"
#include "shell/window1.h"
#include "shell_test_main.h"

namespace {

Toolbar1* Bar() { return Window1()->findChild<Toolbar1*>(QStringLiteral("Toolbar11")); }

QAction* Item(const char* name) {
  QAction* item = Bar()->findChild<QAction*>(QString::fromLatin1(name));
  if (!item) qFatal("no tool item %s", name);
  return item;
}

bool BatchButtonsEnabled() {
  const bool same = Item("ToolItem2")->isEnabled();
  const bool other = Item("ToolItem3")->isEnabled();
  if (same != other) qFatal("the two batch buttons disagree");
  return same;
}

void SelectRows(std::initializer_list<int> rows) {
  Listbox* list = Window1()->Listbox1();
  list->clearSelection();
  for (int row : rows) {
    list->selectionModel()->select(list->Rows()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

}  // namespace

class Toolbar1Test : public QObject {
  Q_OBJECT

 private slots:
  void itemsStandInOrderAboveTheirCaptions() {
    QStringList names;
    for (QAction* item : Bar()->actions()) names << item->objectName();
    QCOMPARE(names, QStringList({"ToolItem1", "ToolItem2", "ToolItem3", "ToolItem5", "ToolItem6",
                                 "ToolItem4"}));
    QVERIFY(Item("ToolItem6")->isSeparator());
    QVERIFY(Bar()->widgetForAction(Item("ToolItem5")));  // the space
    QCOMPARE(Bar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  }

  void commandButtonsShowCaptionPictureAndHelpTag_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("helpTag");
    QTest::newRow("scan") << "ToolItem1" << "書類を抽出"
                          << "抽出のためのスキャンを開始するフォルダを指定します。";
    QTest::newRow("beside") << "ToolItem2" << "同一場所に変換"
                            << "元の書類と同じフォルダ内に出力します。";
    QTest::newRow("elsewhere") << "ToolItem3" << "別場所に変換"
                               << "保存ダイアログで指定したフォルダ内に出力します。";
    QTest::newRow("single") << "ToolItem4" << "ファイルを指定して変換"
                            << "ファイルを一つずつ指定して変換します。";
  }

  void commandButtonsShowCaptionPictureAndHelpTag() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, helpTag);
    QAction* item = Item(name.toLatin1().constData());
    auto* button = qobject_cast<QToolButton*>(Bar()->widgetForAction(item));
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), helpTag);
    QVERIFY(!button->icon().isNull());
  }

  void batchButtonsWaitForASelection() {
    QVERIFY(Item("ToolItem1")->isEnabled());
    QVERIFY(Item("ToolItem4")->isEnabled());
    QVERIFY(!BatchButtonsEnabled());
  }

  void batchButtonsFollowTheSelection() {
    Listbox* list = Window1()->Listbox1();
    for (const char* name : {"a.tvr", "b.tvr", "c.tvr"}) list->AddRow(QString::fromLatin1(name));
    QVERIFY(!BatchButtonsEnabled());  // rows alone select nothing

    SelectRows({1});
    QVERIFY(BatchButtonsEnabled());
    SelectRows({0, 2});
    QVERIFY(BatchButtonsEnabled());
    SelectRows({});
    QVERIFY(!BatchButtonsEnabled());

    SelectRows({2});
    list->DeleteAllRows();
    QVERIFY(!BatchButtonsEnabled());
    QVERIFY(Item("ToolItem1")->isEnabled());
    QVERIFY(Item("ToolItem4")->isEnabled());
  }
};

TAVR_SHELL_TEST_MAIN(Toolbar1Test)
#include "toolbar1_test.moc"
