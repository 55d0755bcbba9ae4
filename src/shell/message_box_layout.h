#pragma once
// How the program's message boxes are laid out: titled like the program's
// window rather than with the executable's name, and their texts broken
// into lines no wider than a typical path, the box made as wide as the
// widest of them so that Qt shows each line as it was broken. A path is
// broken only where it is too long for a line, and then after a "/"; other
// text breaks where Qt's line breaking allows (between words, and between
// Japanese characters but not before "。" or after "「"). macOS shows no
// title on a sheet; there the title is ignored.

class QMessageBox;

// Call once the box has its texts.
void LayOutMessageBox(QMessageBox& box);
