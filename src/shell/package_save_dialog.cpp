#include "package_save_dialog.h"

#include <QDir>
#include <QFileInfo>

#include "qt_text.h"
#include "shared/globals.h"

namespace {

// A real folder (not a link) whose name ends in ".tvrmd".
bool IsPackageFolder(const QFileInfo& item) {
  return item.isDir() && !item.isSymLink() &&
         item.fileName().endsWith(ToQString(kPackageExtension), Qt::CaseInsensitive);
}

// The package folder that holds `item`, or an empty text.
QString EnclosingPackage(const QFileInfo& item) {
  for (QDir folder(item.absolutePath());;) {
    if (IsPackageFolder(QFileInfo(folder.absolutePath()))) return folder.absolutePath();
    if (!folder.cdUp()) return QString();
  }
}

}  // namespace

PackageSaveDialog::PackageSaveDialog(QWidget* parent) : QFileDialog(parent) {
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  // The one question before replacing a package is ours.
  setOption(QFileDialog::DontConfirmOverwrite);
}

void PackageSaveDialog::accept() {
  const QStringList chosen = selectedFiles();
  if (chosen.isEmpty()) return QFileDialog::accept();
  const QFileInfo item(QDir::cleanPath(chosen.front()));
  if (const QString package = EnclosingPackage(item); !package.isEmpty()) {
    return Refuse(item, "「" + ToUtf8(package) +
                            "」はパッケージです。パッケージの中には書き出せません。"
                            "パッケージの外の場所を指定してください。");
  }
  if (IsPackageFolder(item)) {
    const std::int32_t answer =
        gCautionDlg(this, 2, "置き換える", "キャンセル", "",
                    "「" + ToUtf8(item.fileName()) + "」は既にあります。置き換えますか？",
                    "パッケージの pref、csv、colAttr、window を書き換えます。"
                    "パッケージの中のほかの項目はそのまま残ります。");
    if (answer == 2) QDialog::accept();
    return;
  }
  if (item.isSymLink()) {
    return Refuse(item,
                  "この名前の項目はリンクです。リンクの先には書き出しません。"
                  "別の名前を指定してください。");
  }
  if (item.exists() && !item.isDir()) {
    return Refuse(item,
                  "この名前で、フォルダではない項目が既にあります。"
                  "パッケージはフォルダなので、別の名前を指定してください。");
  }
  QFileDialog::accept();  // a new name, or an ordinary folder to open
}

void PackageSaveDialog::Refuse(const QFileInfo& item, const std::string& reason) {
  gCautionDlg1(this, "「" + ToUtf8(item.fileName()) + "」には書き出せません。",
               "場所：" + ToUtf8(item.absoluteFilePath()) + "\n理由：" + reason);
}
