#pragma once
// The main window's toolbar: the four commands, with a space and a separator
// before the last one. Items are found by their object names, "ToolItem1" to
// "ToolItem6".

#include <QToolBar>

class QAction;

class Toolbar1 : public QToolBar {
  Q_OBJECT

 public:
  explicit Toolbar1(QWidget* parent = nullptr);

  // In toolbar order; owned by the toolbar. ToolItem5 is the space and
  // ToolItem6 the separator.
  QAction* ToolItem1;  // "書類を抽出"
  QAction* ToolItem2;  // "同一場所に変換"
  QAction* ToolItem3;  // "別場所に変換"
  QAction* ToolItem5;
  QAction* ToolItem6;
  QAction* ToolItem4;  // "ファイルを指定して変換"

 private:
  QAction* AppendButton(const char* name, const QString& caption);
};
