#pragma once
// How the program's message boxes are laid out: titled like the program's
// window rather than with the executable's name, wide enough for a typical
// path, and a longer path broken after a "/" rather than in the middle of a
// name. macOS shows no title on a sheet; there the title is ignored.

#include <QString>

class QFontMetrics;
class QMessageBox;

// Call once the box has its texts.
void LayOutMessageBox(QMessageBox& box);

// `text` with each line wider than `width` pixels broken after "/"
// characters, as many pieces to a line as fit. A line without "/" is left
// as it is, as is a piece between two "/" that is wider on its own: the
// label wraps those itself.
QString BreakPathsAtSlashes(const QString& text, const QFontMetrics& metrics, int width);
