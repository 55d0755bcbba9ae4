// The folder scan and the conversion commands.

#include <QIcon>
#include <optional>
#include <string>

#include "listbox.h"
#include "package_ledger.h"
#include "pictures.h"
#include "platform/folder_item.h"
#include "platform/services.h"
#include "qt_text.h"
#include "shared/globals.h"
#include "shell/core/document_scan.h"
#include "window1.h"

namespace {

// Set while a command runs. The yield repaints without taking user input, but
// a dialog's own event loop could still hand over a command that was queued:
// it is dropped rather than run inside the first.
bool gCommandRunning = false;

class CommandGuard {
 public:
  CommandGuard() : entered_(!gCommandRunning) { gCommandRunning = true; }
  ~CommandGuard() {
    if (entered_) gCommandRunning = false;
  }
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;
  bool Entered() const { return entered_; }

 private:
  bool entered_;
};

// Appends the list row of a found document: its name with the `file32`
// picture, "マルチ" or "シングル", and its absolute path text, all on the row
// just added.
void AddDocumentRow(Listbox& list, const FolderItem& document, bool multi) {
  const int row = list.AddRow(FromPath(document.Name()));
  list.SetRowPicture(row, QIcon(file32()));
  list.SetCell(row, 1, multi ? QStringLiteral("マルチ") : QStringLiteral("シングル"));
  list.SetCell(row, 2, FromPath(document.AbsolutePath()));
}

// The document a list row names, when it is still there; otherwise the row is
// reported and nullopt answered. What is there but cannot be read FileConv
// reports itself.
std::optional<FolderItem> ResolveRow(Window* window, const QString& pathText) {
  const std::string path = ToPath(pathText).string();
  std::optional<FolderItem> source = GetFolderItem(path, 0);
  if (!source) {
    CautionNotConverted(window, path, "一覧に記録された場所が書類を指していません。");
    return std::nullopt;
  }
  if (!source->Exists()) {
    CautionNotConverted(window, path,
                        "書類が見つかりません。一覧を作った後で移動、名前の変更、"
                        "または削除されたようです。");
    return std::nullopt;
  }
  return source;
}

}  // namespace

void Window1::OpenFolder() {
  const CommandGuard guard;
  if (!guard.Entered()) return;
  const std::optional<std::filesystem::path> chosen = CurrentServices().SelectFolder(this);
  if (!chosen) return;  // the earlier list stays as it was
  Listbox1()->DeleteAllRows();
  pCnt = 0;
  MakeList(FolderItem(*chosen));
}

void Window1::MakeList(const FolderItem& folder) {
  DocumentScan scan([this](const FolderItem& document) { return CheckMulti(document); },
                    [this](const FolderItem& document, bool multi) {
                      AddDocumentRow(*Listbox1(), document, multi);
                      ++pCnt;
                    });
  scan.Walk(folder);
}

void Window1::OpenFile() {
  const CommandGuard guard;
  if (!guard.Entered()) return;
  const std::optional<std::filesystem::path> chosen = CurrentServices().OpenFile(this, "List");
  if (!chosen) return;
  const FolderItem file(*chosen);
  if (gFileMatch(file, gListCre, kListType)) {
    PutFileSingle(file);
    return;
  }
  gCautionDlg1(nullptr, "未登録のファイルタイプです。", file.MacCreator() + ":" + file.MacType());
}

void Window1::PutFileSingle(const FolderItem& source) {
  const std::optional<std::filesystem::path> chosen =
      CurrentServices().SaveAs(this, source.Parent().Path(), source.Name() + kPackageExtension);
  if (!chosen) return;
  // The package is named exactly as the user confirmed it.
  const FolderItem target(*chosen);
  FileConv(source, target);
  target.SetExtensionVisible(false);
}

void Window1::PutFileSelected(bool toOtherFolder) {
  const CommandGuard guard;
  if (!guard.Entered()) return;
  std::optional<FolderItem> outputFolder;
  if (toOtherFolder) {
    const std::optional<std::filesystem::path> chosen = CurrentServices().SelectFolder(this);
    if (!chosen) return;  // no conversion and no message
    outputFolder.emplace(*chosen);
  }
  PackageLedger written;
  for (int row = 0; row <= Listbox1()->ListCount() - 1; ++row) {
    if (Listbox1()->Selected(row)) {
      if (const std::optional<FolderItem> source = ResolveRow(this, Listbox1()->Cell(row, 2))) {
        const FolderItem folder = outputFolder ? *outputFolder : source->Parent();
        const FolderItem target = folder.Child(source->Name() + kPackageExtension);
        if (const std::optional<std::string> first = written.WrittenFrom(target)) {
          CautionNotConverted(this, source->AbsolutePath(),
                              "パッケージ「" + target.AbsolutePath() + "」は、この変換で先に「" +
                                  *first +
                                  "」から書き出したものです。上書きしないよう、"
                                  "この書類は変換しませんでした。");
        } else {
          if (FileConv(*source, target)) written.Record(*source, target);
          target.SetExtensionVisible(false);
        }
      }
    }
    YieldToUI();
  }
  gCautionDlg1(this, "変換が完了しました。", "");
}
