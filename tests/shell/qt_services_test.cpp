// The desktop services done with Qt: caution dialogs and the file dialogs
// with the "List" filter.

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "shell/list_file_filter.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"

namespace {

// Runs `handle` on the first visible top-level widget of type T once the
// caller's dialog is up.
template <typename T>
void WhenShown(std::function<void(T*)> handle) {
  QTimer::singleShot(10, [handle] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return handle(found);
    }
    WhenShown<T>(handle);
  });
}

}  // namespace

class QtServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void cautionIsAWarningThatAnswersTheButtonPressed_data() {
    QTest::addColumn<bool>("onWindow");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("sheet, action") << true << 3 << "接続する" << int(DialogButton::Action);
    QTest::newRow("sheet, cancel") << true << 2 << "キャンセル" << int(DialogButton::Cancel);
    QTest::newRow("modal, alternate") << false << 3 << "保存しない" << int(DialogButton::Alternate);
    QTest::newRow("modal, one button") << false << 1 << "OK" << int(DialogButton::Action);
  }

  void cautionIsAWarningThatAnswersTheButtonPressed() {
    QFETCH(bool, onWindow);
    QFETCH(int, buttons);
    QFETCH(QString, press);
    QFETCH(int, answer);
    CautionDialog caution;
    caution.window = onWindow ? Window1() : nullptr;
    caution.actionCaption = buttons == 1 ? "OK" : "接続する";
    caution.cancelVisible = buttons >= 2;
    caution.cancelCaption = "キャンセル";
    caution.alternateVisible = buttons >= 3;
    caution.alternateCaption = "保存しない";
    caution.message = "変換が完了しました。";
    caution.explanation = "a.tvr";

    // Icon, texts, default button, modality, button count.
    QStringList shown;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
      shown = QStringList{QString::number(box->icon()), box->text(), box->informativeText(),
                          box->defaultButton() ? box->defaultButton()->text() : QString(),
                          QString::number(box->windowModality()), QString::number(box->buttons().size())};
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() == press) return button->click();
      }
      qFatal("no button %s", qPrintable(press));
    });
    QCOMPARE(int(QtServices().ShowCaution(caution)), answer);
    QCOMPARE(shown, QStringList({QString::number(QMessageBox::Warning), "変換が完了しました。", "a.tvr",
                                 ToQString(caution.actionCaption),
                                 QString::number(onWindow ? Qt::WindowModal : Qt::ApplicationModal),
                                 QString::number(buttons)}));
  }

  void listFilterOffersFoldersAndListDocuments() {
    QTemporaryDir folder;
    const std::filesystem::path root = ToPath(folder.path());
    std::filesystem::create_directory(root / "sub");
    for (const char* name : {"named.tvr", "coded", "multi", "notes.txt"}) legacy::WriteBytes(root / name, "");
    legacy::WriteBytes(root / "._coded", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt5"));
    legacy::WriteBytes(root / "._multi", legacy::AppleDoubleBytes(std::nullopt, "Tavr", "qZt6"));
    ListFileFilter filter(*RegisteredFileType("List"));
    const std::pair<const char*, bool> offered[] = {
        {"sub", true}, {"named.tvr", true}, {"coded", true}, {"multi", false}, {"notes.txt", false}};
    for (auto [name, want] : offered) QVERIFY2(filter.Offers(folder.filePath(name)) == want, name);
  }

  void openDialogFiltersByTheListTypeSaveDialogProposesAName() {
    QtServices services;
    bool qtsOwn = false, filtered = false;
    Qt::WindowModality modality = Qt::NonModal;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      qtsOwn = dialog->testOption(QFileDialog::DontUseNativeDialog);
      filtered = qobject_cast<ListFileFilter*>(dialog->proxyModel()) != nullptr;
      modality = dialog->windowModality();
      dialog->reject();
    });
    QCOMPARE(services.OpenFile(Window1(), "List"), std::nullopt);
    QVERIFY(qtsOwn && filtered);
    QCOMPARE(modality, Qt::WindowModal);

    QTemporaryDir folder;
    QString shownFolder;
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
      shownFolder = dialog->directory().absolutePath();
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides its override
    });
    const auto answer = services.SaveAs(Window1(), ToPath(folder.path()), "名簿.tvr.tvrmd");
    QCOMPARE(shownFolder, QDir(folder.path()).absolutePath());
    QVERIFY(answer);
    QCOMPARE(FromPath(*answer), QDir(folder.path()).filePath(QStringLiteral("名簿.tvr.tvrmd")));
  }
};

TAVR_SHELL_TEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
