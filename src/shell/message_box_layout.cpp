#include "message_box_layout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>

namespace {

// A typical path fits on one line: about forty full-width characters.
constexpr int kLineInCharacters = 40;

// The pieces of `line`, each ending after a "/" (the last one need not).
QStringList PiecesAfterSlashes(const QString& line) {
  QStringList pieces;
  qsizetype start = 0;
  for (qsizetype slash = line.indexOf(u'/'); slash >= 0; slash = line.indexOf(u'/', start)) {
    pieces << line.mid(start, slash + 1 - start);
    start = slash + 1;
  }
  if (start < line.size()) pieces << line.mid(start);
  return pieces;
}

// Breaks the label's text at "/" to the line width, and widens the label so
// that such a line is shown whole.
void LayOutLabel(QLabel& label) {
  // A name may look like markup; it is shown as it is.
  label.setTextFormat(Qt::PlainText);
  const QFontMetrics metrics = label.fontMetrics();
  const int lineWidth = metrics.horizontalAdvance(QString(kLineInCharacters, QChar(0x3042)));
  label.setText(BreakPathsAtSlashes(label.text(), metrics, lineWidth));
  int widest = 0;
  for (const QString& line : label.text().split(u'\n')) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  label.setMinimumWidth(std::min(widest, lineWidth));
}

}  // namespace

void LayOutMessageBox(QMessageBox& box) {
  box.setWindowTitle(QGuiApplication::applicationDisplayName());
  // Qt's names for the two texts of a message box.
  for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"}) {
    if (auto* label = box.findChild<QLabel*>(QString::fromLatin1(name))) LayOutLabel(*label);
  }
}

QString BreakPathsAtSlashes(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& line : text.split(u'\n')) {
    if (metrics.horizontalAdvance(line) <= width) {
      lines << line;
      continue;
    }
    QString current;
    for (const QString& piece : PiecesAfterSlashes(line)) {
      if (!current.isEmpty() && metrics.horizontalAdvance(current + piece) > width) {
        lines << current;
        current.clear();
      }
      current += piece;
    }
    lines << current;
  }
  return lines.join(u'\n');
}
