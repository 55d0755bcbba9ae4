#include "toolbar1.h"

#include <QAction>

Toolbar1::Toolbar1(QWidget* parent) : QToolBar(parent) {
  setObjectName(QStringLiteral("Toolbar11"));
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(32, 32));
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

  ToolItem1 = AppendButton("ToolItem1", QStringLiteral("書類を抽出"));
  ToolItem2 = AppendButton("ToolItem2", QStringLiteral("同一場所に変換"));
  ToolItem3 = AppendButton("ToolItem3", QStringLiteral("別場所に変換"));

  // A flexible space: it pushes the single conversion to the right edge.
  auto* space = new QWidget(this);
  space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  ToolItem5 = addWidget(space);
  ToolItem5->setObjectName(QStringLiteral("ToolItem5"));

  ToolItem6 = addSeparator();
  ToolItem6->setObjectName(QStringLiteral("ToolItem6"));

  ToolItem4 = AppendButton("ToolItem4", QStringLiteral("ファイルを指定して変換"));
}

QAction* Toolbar1::AppendButton(const char* name, const QString& caption) {
  auto* item = new QAction(this);
  item->setObjectName(QString::fromLatin1(name));
  item->setEnabled(true);
  item->setText(caption);
  item->setToolTip(QString());
  addAction(item);
  return item;
}
