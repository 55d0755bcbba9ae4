// The application and its menu bar: the Help commands, the legacy settings
// read when the main window opens, the caution dialogs done with Qt, and an
// exception that escapes a command.

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include "shared/start_up_values.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"

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
    for (const char* name : {"HelpReadme", "HelpManual", "HelpHome", "HelpHome"})
      Command(name)->trigger();
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
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
  }

  void helpThatCannotOpenItsDocumentOrTheHomePageSaysSo() {
    RealOpening services;
    Command("HelpManual")->trigger();
    Command("HelpHome")->trigger();  // the question, answered "接続する"
    QCOMPARE(services.log, (Log{"launch", "caution", "caution", "url", "caution"}));
    const CautionDialog& document = services.cautions.at(0).dialog;
    QCOMPARE(document.message, std::string("「簡易マニュアル.rtf」を開けませんでした。"));
    QVERIFY(ToQString(document.explanation)
                .contains(QStringLiteral("Japanese.lproj/簡易マニュアル.rtf")));
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
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    legacy::Document settings;  // its header and numbers are laid out as a document's
    settings.header = "pref";
    settings.prefNumbers.assign(11, "0");
    settings.prefNumbers[10] = "1";  // beep before every caution
    std::filesystem::create_directories(PreferencesFolder() / "Tavrin初期設定");
    legacy::WriteBytes(PreferencesFolder() / "Tavrin初期設定" / "pref", settings.PrefBlockBytes());
    ReleaseWindow1();
    Window1();  // a new window runs its opening again

    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Command("HelpHome")->trigger();
    QCOMPARE(services.log, (Log{"beep", "caution"}));
  }

  // A warning, modal on its window or the whole application, answering the
  // button pressed; titled like the window, a typical path on one line and a
  // longer one broken after a "/" only.
  void cautionAnswersTheButtonPressedAndShowsPathsWhole() {
    const QString typical = QStringLiteral("書類：/home/yamada/書類/顧客/2024/会員名簿.tvr");
    const QString longer =
        typical + QStringLiteral("/顧客リスト/2024年度/会員名簿のバックアップ/最新版.tvr");
    struct Row {
      bool onWindow;
      int buttons;
      const char* press;
      DialogButton answer;
      QString path;
    };
    for (const Row& row : {Row{true, 3, "接続する", DialogButton::Action, typical},
                           Row{true, 2, "キャンセル", DialogButton::Cancel, longer},
                           Row{false, 3, "保存しない", DialogButton::Alternate, typical}}) {
      CautionDialog caution{.window = row.onWindow ? Window1() : nullptr,
                            .actionCaption = "接続する",
                            .cancelVisible = row.buttons >= 2,
                            .cancelCaption = "キャンセル",
                            .alternateVisible = row.buttons >= 3,
                            .alternateCaption = "保存しない",
                            .message = "変換が完了しました。",
                            .explanation = ToUtf8(row.path)};
      QStringList shown;  // icon, title, default button, modality, button count
      QString explanation;
      bool typicalFits = false;
      WhenShown<QMessageBox>([&](QMessageBox& box) {
        shown = QStringList{QString::number(box.icon()), box.windowTitle(),
                            box.defaultButton()->text(), QString::number(box.windowModality()),
                            QString::number(box.buttons().size())};
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        explanation = label->text();
        typicalFits = label->width() >= label->fontMetrics().horizontalAdvance(typical);
        for (QAbstractButton* button : box.buttons()) {
          if (button->text() == row.press) return button->click();
        }
      });
      QCOMPARE(QtServices().ShowCaution(caution), row.answer);
      QCOMPARE(
          shown,
          QStringList({QString::number(QMessageBox::Warning), Window1()->windowTitle(), "接続する",
                       QString::number(row.onWindow ? Qt::WindowModal : Qt::ApplicationModal),
                       QString::number(row.buttons)}));
      QVERIFY(typicalFits);
      QCOMPARE(QString(explanation).remove(u'\n'), row.path);
      const QStringList lines = explanation.split(u'\n');
      QCOMPARE(lines.size() > 1, row.path == longer);
      for (const QString& line : lines.mid(0, lines.size() - 1))
        QVERIFY2(line.endsWith(u'/'), qPrintable(line));
    }
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QMetaObject::invokeMethod(
        App(), [] { throw std::runtime_error("列数が読めません"); }, Qt::QueuedConnection);
    QCOMPARE(QApplication::exec(), 1);
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
