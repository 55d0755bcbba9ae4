#include "message_box_layout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A typical path fits on one line: about forty full-width characters.
constexpr int kLineInCharacters = 40;
// Wider than any text, for measuring a text on one line.
constexpr qreal kUnbounded = 1 << 20;

// The width of `text` on one line, as a label lays it out: in fractions of
// a pixel, since a width rounded down would have the label wrap the line.
// White space at the end takes no room.
qreal LineWidth(const QString& text, const QFont& font) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(kUnbounded);
  layout.endLayout();
  return line.naturalTextWidth();
}

// `text` in lines of `width` pixels where Qt would wrap it, and anywhere
// where its rules find no place: for a name longer than a line.
QStringList WrapAnywhere(const QString& text, const QFont& font, int width) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    lines << text.mid(line.textStart(), line.textLength());
  }
  layout.endLayout();
  return lines;
}

// What ends a path in the program's texts: white space, and the Japanese
// brackets and punctuation written around one.
bool EndsPath(QChar c) { return c.isSpace() || QStringView(u"「」『』（）：、。").contains(c); }

// Whether `paragraph` may be broken before each of its positions: where
// Qt's line breaking allows, except inside a path. A path that fits on a
// line is not broken; a longer one only after a "/" that ends a name, so
// that neither the root "/" nor the "//" of an address ends a line.
std::vector<bool> BreakOpportunities(const QString& paragraph, const QFont& font, int width) {
  std::vector<bool> breaks(paragraph.size() + 1, false);
  QTextBoundaryFinder finder(QTextBoundaryFinder::Line, paragraph);
  for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
    breaks[at] = true;
  }
  qsizetype start = 0;
  while (start < paragraph.size()) {
    qsizetype end = start;
    while (end < paragraph.size() && !EndsPath(paragraph[end])) ++end;
    const QString run = paragraph.mid(start, end - start);
    if (run.contains(u'/')) {
      const bool fits = LineWidth(run, font) <= width;
      for (qsizetype at = start + 1; at < end; ++at) {
        const bool afterName = at - 2 >= start && paragraph[at - 2] != u'/' &&
                               paragraph[at - 1] == u'/' && paragraph[at] != u'/';
        breaks[at] = !fits && afterName;
      }
    }
    start = end + 1;
  }
  return breaks;
}

// `paragraph` in lines of at most `width` pixels, as many pieces between
// two break opportunities to a line as fit.
QStringList BreakParagraph(const QString& paragraph, const QFont& font, int width) {
  const std::vector<bool> breaks = BreakOpportunities(paragraph, font, width);
  QStringList lines;
  QString current;
  qsizetype start = 0;
  for (qsizetype end = 1; end <= paragraph.size(); ++end) {
    if (!breaks[end] && end < paragraph.size()) continue;
    const QString piece = paragraph.mid(start, end - start);
    start = end;
    if (!current.isEmpty() && LineWidth(current + piece, font) > width) {
      lines << current;
      current.clear();
    }
    current += piece;
    if (LineWidth(current, font) > width) {
      // A piece longer than a line on its own.
      lines << WrapAnywhere(current, font, width);
      current = lines.takeLast();
    }
  }
  lines << current;
  return lines;
}

// Breaks the label's text into lines and makes the label as wide as the
// widest of them, so that Qt, which wraps the text again at the width the
// box gives the label, keeps every line as it is.
void LayOutLabel(QLabel& label) {
  // A name may look like markup; it is shown as it is.
  label.setTextFormat(Qt::PlainText);
  const QFont font = label.font();
  const int width =
      static_cast<int>(std::ceil(LineWidth(QString(kLineInCharacters, QChar(0x3042)), font)));
  QStringList lines;
  qreal widest = 0;
  for (const QString& paragraph : label.text().split(u'\n')) {
    for (const QString& line : BreakParagraph(paragraph, font, width)) {
      lines << line;
      widest = std::max(widest, LineWidth(line, font));
    }
  }
  label.setText(lines.join(u'\n'));
  label.setMinimumWidth(static_cast<int>(std::ceil(widest)));
}

}  // namespace

void LayOutMessageBox(QMessageBox& box) {
  box.setWindowTitle(QGuiApplication::applicationDisplayName());
  // Qt's names for the two texts of a message box.
  for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"}) {
    if (auto* label = box.findChild<QLabel*>(QString::fromLatin1(name))) LayOutLabel(*label);
  }
}
