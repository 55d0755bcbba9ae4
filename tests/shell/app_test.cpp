// The application and its menu bar: the Help commands, the legacy settings
// read when the main window opens, the caution dialogs done with Qt, and an
// exception that escapes a command.

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/start_up_values.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"
#include "support/temp_folder.h"

using Log = std::vector<std::string>;

// Scripted dialogs, but the browser and documents are opened the real way:
// the offscreen platform has nothing that can open them.
class RealOpening : public ScriptedServices {
 public:
  bool ShowURL(const std::string& url) override {
    ScriptedServices::ShowURL(url);
    return QtServices().ShowURL(url);
  }
  bool Launch(const std::filesystem::path& document) override {
    ScriptedServices::Launch(document);
    return QtServices().Launch(document);
  }
};

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR)); }

  // Runs before any legacy preference file exists: no beep.
  void helpOpensItsDocumentsFromJapaneseLprojAndTheHomePageOnlyWhenConfirmed() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Action};
    for (const char* name : {"HelpReadme", "HelpManual", "HelpHome", "HelpHome"}) Command(name)->trigger();
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR "/gone"));
    Command("HelpReadme")->trigger();
    QCOMPARE(services.messageBoxes, Log{"File Not Found."});
    const QDir japanese(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj"));
    QCOMPARE(FromPath(services.launched.at(0)), japanese.filePath("お読み下さい.rtf"));
    QCOMPARE(FromPath(services.launched.at(1)), japanese.filePath("簡易マニュアル.rtf"));
    const std::string address = kHomePageAddress;
    QCOMPARE(services.log, (Log{"launch", "launch", "caution", "caution", "url", "msgbox"}));
    QCOMPARE(services.urls, Log{address});
    const CautionDialog& dialog = services.cautions.at(0).dialog;
    QCOMPARE(dialog.window, static_cast<::Window*>(Window1()));
    QCOMPARE(dialog.actionCaption + "/" + dialog.cancelCaption, std::string("接続する/キャンセル"));
    QVERIFY(dialog.cancelVisible && !dialog.alternateVisible);
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
  }

  void helpThatCannotOpenItsDocumentOrTheHomePageSaysSo() {
    RealOpening services;
    Command("HelpManual")->trigger();
    Command("HelpHome")->trigger();  // the question, answered "接続する"
    QCOMPARE(services.log, (Log{"launch", "caution", "caution", "url", "caution"}));
    const CautionDialog& document = services.cautions.at(0).dialog;
    QCOMPARE(document.message, std::string("「簡易マニュアル.rtf」を開けませんでした。"));
    QVERIFY(ToQString(document.explanation).contains(QStringLiteral("Japanese.lproj/簡易マニュアル.rtf")));
    const CautionDialog& homePage = services.cautions.at(2).dialog;
    QCOMPARE(homePage.message, std::string("ホームページを開けませんでした。"));
    QVERIFY(homePage.explanation.find(kHomePageAddress) != std::string::npos);
  }

  void oneMenuBarServesTheApplicationAndOutlivesTheWindow() {
    QPointer<class MenuBar1> bar = MenuBar1();
    QCOMPARE(App()->MenuBar, bar.data());
    QCOMPARE(Window1()->menuWidget(), bar.data());
    ReleaseWindow1();
    QCOMPARE(Window1()->menuWidget(), bar.data());
    // "Cmd+" is the Command key on macOS, Ctrl elsewhere.
    QCOMPARE(Command("FileOpenFolder")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QCOMPARE(Command("FileQuit")->menuRole(), QAction::QuitRole);
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    legacy::Document settings;  // its header and numbers are laid out as a document's
    settings.header = "pref";
    settings.prefNumbers.assign(23, "0");
    settings.prefNumbers[10] = "1";  // beep before every caution
    settings.prefNumbers[21] = "2";  // scrollKind
    settings.prefNumbers[22] = "5";  // anything but 0 makes winGeo 0
    std::filesystem::create_directories(PreferencesFolder() / "Tavrin初期設定");
    legacy::WriteBytes(PreferencesFolder() / "Tavrin初期設定" / "pref", settings.PrefBlockBytes());
    ReleaseWindow1();
    Window1();  // a new window runs its opening again

    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Command("HelpHome")->trigger();
    QCOMPARE(services.log, (Log{"beep", "caution"}));

    TempFolder folder;
    legacy::WriteDocument(folder / "a.tvr", legacy::Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
    QVERIFY(ListConverter().FileConv(FolderItem(folder / "a.tvr"), FolderItem(folder / "a.tvrmd")));
    const std::string pref = ReadBytes(folder / "a.tvrmd" / "pref");
    QVERIFY(pref.find("<key>scrollKind</key>\n<integer>2</integer>\n") != std::string::npos);
    QVERIFY(pref.find("<key>winGeo</key>\n<integer>0</integer>\n") != std::string::npos);
  }

  void cautionIsAWarningThatAnswersTheButtonPressed() {
    struct Row { bool onWindow; int buttons; const char* press; DialogButton answer; };
    for (const Row& row : {Row{true, 3, "接続する", DialogButton::Action},
                           Row{true, 2, "キャンセル", DialogButton::Cancel},
                           Row{false, 3, "保存しない", DialogButton::Alternate},
                           Row{false, 1, "OK", DialogButton::Action}}) {
      const CautionDialog caution{.window = row.onWindow ? Window1() : nullptr,
                                  .actionCaption = row.buttons == 1 ? "OK" : "接続する",
                                  .cancelVisible = row.buttons >= 2, .cancelCaption = "キャンセル",
                                  .alternateVisible = row.buttons >= 3, .alternateCaption = "保存しない",
                                  .message = "変換が完了しました。", .explanation = "a.tvr"};
      QStringList shown;  // icon, texts, default button, modality, button count
      WhenShown<QMessageBox>([&](QMessageBox& box) {
        shown = QStringList{QString::number(box.icon()), box.text(), box.informativeText(),
                            box.defaultButton() ? box.defaultButton()->text() : QString(),
                            QString::number(box.windowModality()), QString::number(box.buttons().size())};
        for (QAbstractButton* button : box.buttons()) {
          if (button->text() == row.press) return button->click();
        }
        qFatal("no button %s", row.press);
      });
      QCOMPARE(QtServices().ShowCaution(caution), row.answer);
      QCOMPARE(shown, QStringList({QString::number(QMessageBox::Warning), "変換が完了しました。", "a.tvr",
                                   ToQString(caution.actionCaption),
                                   QString::number(row.onWindow ? Qt::WindowModal : Qt::ApplicationModal),
                                   QString::number(row.buttons)}));
    }
  }

  // Titled like the window; a typical path on one line, a long one broken
  // after a "/" only.
  void cautionIsTitledLikeTheWindowAndBreaksPathsAtSlashes() {
    const QString typical = QStringLiteral("書類：/home/yamada/書類/顧客/2024/会員名簿.tvr");
    const QString long_ = typical + QStringLiteral("/顧客リスト/2024年度/会員名簿のバックアップ/会員名簿_最新版.tvr");
    for (const QString& path : {typical, long_}) {
      QString title, shown;
      bool typicalFits = false;
      WhenShown<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        shown = label->text();
        typicalFits = label->width() >= label->fontMetrics().horizontalAdvance(typical);
        box.accept();
      });
      CautionDialog caution;
      caution.window = Window1();
      caution.actionCaption = "OK";
      caution.message = "書類を変換できませんでした。";
      caution.explanation = ToUtf8(path + "\n理由：読めません。");
      QtServices().ShowCaution(caution);
      QCOMPARE(title, Window1()->windowTitle());
      QVERIFY(typicalFits);
      QCOMPARE(QString(shown).remove(u'\n'), path + "理由：読めません。");
      const QStringList lines = shown.split(u'\n');
      QCOMPARE(lines.size() > 2, path == long_);
      for (const QString& line : lines.mid(0, lines.size() - 2)) QVERIFY2(line.endsWith(u'/'), qPrintable(line));
    }
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QMetaObject::invokeMethod(App(), [] { throw std::runtime_error("列数が読めません"); }, Qt::QueuedConnection);
    QCOMPARE(QApplication::exec(), 1);
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
