#pragma once
// The save dialog of a single conversion, which names a package: a folder.
// Qt's dialog would open an existing folder typed as the name, and ask its
// own question before replacing a file; this one decides first:
// - a package folder (a real folder, not a link, whose name ends in
//   ".tvrmd") is chosen after one question; the conversion then replaces its
//   four files and leaves its other entries;
// - any other real folder is opened, as in every save dialog;
// - anything else of that name (a file, a link, a link to a folder) is
//   refused with a caution that says why, and the dialog stays open;
// - a name inside a package folder is refused the same way, so that no
//   package is ever written into another.
// Cautions and the question are sheets on the dialog (gCautionDlg).

#include <QFileDialog>

#include "platform/services.h"

class QFileInfo;

class PackageSaveDialog : public QFileDialog, public ::Window {
  Q_OBJECT

 public:
  explicit PackageSaveDialog(QWidget* parent = nullptr);

  // Takes the answer only when it names a new item or a package folder that
  // the user agreed to replace; opens an ordinary folder.
  void accept() override;

 private:
  void Refuse(const QFileInfo& item, const std::string& reason);
};
