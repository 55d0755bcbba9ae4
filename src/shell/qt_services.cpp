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
#include "qt_text.h"

namespace {

constexpr qint64 kYieldIntervalMs = 20;

QWidget* ParentOf(Window* window) { return dynamic_cast<QWidget*>(window); }

// A sheet on the window where there is one, application-modal otherwise.
void MakeModal(QWidget& dialog, QWidget* parent) {
  dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
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
  box.exec();
}

void QtServices::Beep() { QApplication::beep(); }

void QtServices::ShowURL(const std::string& url) {
  QDesktopServices::openUrl(QUrl(ToQString(url)));
}

void QtServices::Launch(const std::filesystem::path& document) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(document)));
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
  QWidget* parent = ParentOf(window);
  QFileDialog dialog(parent);
  MakeModal(dialog, parent);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return FirstSelected(dialog);
}

std::optional<std::filesystem::path> QtServices::OpenFile(Window* window,
                                                          const std::string& filter) {
  QWidget* parent = ParentOf(window);
  QFileDialog dialog(parent);
  MakeModal(dialog, parent);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (const FileType* type = RegisteredFileType(filter)) {
    // Qt's own dialog: only its model can be filtered by Mac codes.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ListFileFilter(*type, &dialog));
    dialog.setNameFilter(ToQString(type->Name) + QStringLiteral(" (*)"));
  }
  return FirstSelected(dialog);
}

std::optional<std::filesystem::path> QtServices::SaveAs(Window* window,
                                                        const std::filesystem::path& initialFolder,
                                                        const std::string& suggestedName) {
  QWidget* parent = ParentOf(window);
  QFileDialog dialog(parent);
  MakeModal(dialog, parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDirectory(FromPath(initialFolder));
  dialog.selectFile(ToQString(suggestedName));
  return FirstSelected(dialog);
}
