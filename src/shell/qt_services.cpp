#include "qt_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "file_types.h"
#include "list_file_filter.h"
#include "message_box_layout.h"
#include "package_save_dialog.h"
#include "qt_text.h"

namespace {

constexpr qint64 kYieldIntervalMs = 20;

QWidget* ParentOf(Window* window) { return dynamic_cast<QWidget*>(window); }

// A sheet on the window where there is one, application-modal otherwise.
void MakeModal(QWidget& dialog, QWidget* parent) {
  dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
}

// Qt's own dialog everywhere, so that every file dialog speaks Japanese like
// the rest of the program; `columns` becomes the dialog's.
void PrepareFileDialog(QFileDialog& dialog, JapaneseFileColumns* columns) {
  MakeModal(dialog, dialog.parentWidget());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  columns->setParent(&dialog);
  dialog.setProxyModel(columns);
}

std::optional<std::filesystem::path> FirstSelected(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToPath(dialog.selectedFiles().front());
}

}  // namespace

DialogButton QtServices::ShowCaution(const CautionDialog& caution) {
  QWidget* parent = ParentOf(caution.window);
  QMessageBox box(parent);
  MakeModal(box, parent);
  box.setIcon(QMessageBox::Warning);
  box.setText(ToQString(caution.message));
  box.setInformativeText(ToQString(caution.explanation));
  QPushButton* action = box.addButton(ToQString(caution.actionCaption), QMessageBox::AcceptRole);
  QPushButton* cancel = nullptr;
  if (caution.cancelVisible) {
    cancel = box.addButton(ToQString(caution.cancelCaption), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
  }
  QPushButton* alternate = nullptr;
  if (caution.alternateVisible) {
    alternate = box.addButton(ToQString(caution.alternateCaption), QMessageBox::DestructiveRole);
  }
  box.setDefaultButton(action);
  LayOutMessageBox(box);
  box.exec();
  if (box.clickedButton() == action) return DialogButton::Action;
  if (alternate && box.clickedButton() == alternate) return DialogButton::Alternate;
  return DialogButton::Cancel;
}

void QtServices::MsgBox(const std::string& text) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.setText(ToQString(text));
  box.setStandardButtons(QMessageBox::Ok);
  LayOutMessageBox(box);
  box.exec();
}

void QtServices::Beep() { QApplication::beep(); }

bool QtServices::ShowURL(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(ToQString(url)));
}

bool QtServices::Launch(const std::filesystem::path& document) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(document)));
}

std::int32_t QtServices::ScreenHeight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().height() : 0;
}

void QtServices::Yield() {
  if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceYield_.start();
}

std::optional<std::filesystem::path> QtServices::SelectFolder(Window* window) {
  QFileDialog dialog(ParentOf(window));
  PrepareFileDialog(dialog, new JapaneseFileColumns);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return FirstSelected(dialog);
}

std::optional<std::filesystem::path> QtServices::OpenFile(Window* window,
                                                          const std::string& filter) {
  QFileDialog dialog(ParentOf(window));
  const FileType* type = RegisteredFileType(filter);
  // Only the model of Qt's own dialog can be filtered by Mac codes.
  PrepareFileDialog(dialog, type ? new ListFileFilter(*type) : new JapaneseFileColumns);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (type) dialog.setNameFilter(ToQString(type->Name) + QStringLiteral(" (*)"));
  return FirstSelected(dialog);
}

std::optional<std::filesystem::path> QtServices::SaveAs(Window* window,
                                                        const std::filesystem::path& initialFolder,
                                                        const std::string& suggestedName) {
  PackageSaveDialog dialog(ParentOf(window));
  PrepareFileDialog(dialog, new JapaneseFileColumns);
  dialog.setDirectory(FromPath(initialFolder));
  dialog.selectFile(ToQString(suggestedName));
  return FirstSelected(dialog);
}
