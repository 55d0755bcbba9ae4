// The application, its menu bar and its window: the Help commands, the
// legacy settings read when the main window opens, the caution and file
// dialogs done with Qt, an exception that escapes a command, and quitting.

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextLayout>

#include "shared/start_up_values.h"
#include "shell/list_file_filter.h"
#include "shell/qt_services.h"
#include "shell/qt_text.h"
#include "shell_test_main.h"
#include "support/mac_bytes.h"
#include "support/scripted_services.h"

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

// The lines a label of a shown box shows: its text laid out as Qt lays it
// out, at the width the label was given. Their height must be the label's,
// which ties them to Qt's own wrapping; otherwise the last line says so.
QStringList ShownLines(const QLabel& label) {
  QString text = label.text();
  text.replace(u'\n', QChar::LineSeparator);
  QTextLayout layout(text, label.font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  qreal height = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(label.contentsRect().width());
    lines << text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
    height += line.height();
  }
  layout.endLayout();
  if (qRound(height) != label.contentsRect().height())
    lines << QStringLiteral("(%1 lines, %2 pixels high, in a label %3 high)")
                 .arg(lines.size())
                 .arg(height)
                 .arg(label.contentsRect().height());
  return lines;
}

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR)); }

  // Runs before any legacy preference file exists: no beep.
  void helpOpensItsDocumentsAndTheHomePageOnlyWhenConfirmed() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Action};
    for (const char* name : {"HelpReadme", "HelpManual", "HelpHome", "HelpHome"})
      Command(name)->trigger();
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR "/gone"));
    Command("HelpReadme")->trigger();
    const std::string japanese = TAVR_RESOURCES_DIR "/Japanese.lproj/";
    const std::string question = "caution Tavrinコンバータのホームページに接続しますか？";
    QCOMPARE(services.log, (Log{"launch " + japanese + "お読み下さい.rtf",
                                "launch " + japanese + "簡易マニュアル.rtf", question, question,
                                std::string("url ") + kHomePageAddress, "msgbox File Not Found."}));
    QCOMPARE(services.cautions.at(0).window, static_cast<::Window*>(Window1()));
  }

  // Each caution of Help's own is a sheet on the main window; with no
  // window the document's stands alone, and none is made for it.
  void helpThatCannotOpenItsDocumentOrTheHomePageSaysSo() {
    ScriptedServices services;
    services.opens = false;
    ReleaseWindow1();
    Command("HelpReadme")->trigger();
    QVERIFY(!ExistingWindow1());
    Window1();
    Command("HelpManual")->trigger();
    Command("HelpHome")->trigger();  // the question, answered "接続する"
    QCOMPARE(services.log.size(), std::size_t{7});
    QCOMPARE(services.log[3], std::string("caution 「簡易マニュアル.rtf」を開けませんでした。"));
    QCOMPARE(services.log[6], std::string("caution ホームページを開けませんでした。"));
    QVERIFY(services.cautions[3].explanation.find(kHomePageAddress) != std::string::npos);
    const std::vector<::Window*> over = {services.cautions[0].window, services.cautions[1].window,
                                         services.cautions[3].window};
    QCOMPARE(over, (std::vector<::Window*>{nullptr, Window1(), Window1()}));
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    std::vector<std::string> numbers(11, "0");
    numbers[10] = "1";  // beep before every caution
    std::filesystem::create_directories(PreferencesFolder() / "Tavrin初期設定");
    WriteBytes(PreferencesFolder() / "Tavrin初期設定" / "pref",
               mac_bytes::PrefFileBytes(numbers, {}));
    ReleaseWindow1();  // the menu bar outlives it
    Window1();         // a new window runs its opening again
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Command("HelpHome")->trigger();
    QCOMPARE(services.log.at(0), std::string("beep"));
  }

  // A warning, a sheet on its window or application-modal, answering the
  // button pressed, titled like the window.
  void cautionAnswersTheButtonPressed() {
    for (::Window* window : {static_cast<::Window*>(Window1()), static_cast<::Window*>(nullptr)}) {
      const CautionDialog caution{window, "接続する", true,   "キャンセル",
                                  false,  "",         "本文", "説明"};
      QStringList shown;  // title, default button, modality
      WhenShown<QMessageBox>([&](QMessageBox& box) {
        shown = {box.windowTitle(), box.defaultButton()->text(),
                 QString::number(box.windowModality())};
        box.buttons().constLast()->click();
      });
      QCOMPARE(QtServices().ShowCaution(caution), DialogButton::Cancel);
      QCOMPARE(shown,
               QStringList({Window1()->windowTitle(), "接続する",
                            QString::number(window ? Qt::WindowModal : Qt::ApplicationModal)}));
    }
  }

  // The lines of a shown box, as Qt wraps its texts at the width the box
  // gave them: a line holds about forty full-width characters; a path that
  // fits on a line is not broken, a longer one only after a "/"; other text
  // breaks where Qt allows.
  void messageBoxShowsEachLineWhole() {
    const struct {
      const char* what;
      bool isMessage;  // the box's main text; otherwise its explanation
      QString text;    // its paragraphs
      QStringList lines;
    } rows[] = {
        {"a short address",
         false,
         "アドレス：https://www.example.com/tavrin/\n理由：ブラウザを起動できませんでした。",
         {"アドレス：https://www.example.com/tavrin/", "理由：ブラウザを起動できませんでした。"}},
        {"the home page's address in a sentence",
         false,
         "ブラウザを起動して、https://www.example.com/tavrin/ にアクセスします。",
         {"ブラウザを起動して、https://www.example.com/tavrin/ にアクセスします。"}},
        {"a long path",
         false,
         "書類：/home/yamada/書類/顧客管理/2024年度/"
         "会員名簿のバックアップ/東京支店と大阪支店の共有/最新版/会員名簿.tvr",
         {"書類：/home/yamada/書類/顧客管理/2024年度/会員名簿のバックアップ/",
          "東京支店と大阪支店の共有/最新版/会員名簿.tvr"}},
        {"a name longer than a line",
         false,
         "書類：/home/yamada/書類/"
         "二〇二四年度会員名簿東京支店大阪支店名古屋支店福岡支店札幌支店仙台支店広島支店共有最終版."
         "tvr",
         {"書類：/home/yamada/書類/",
          "二〇二四年度会員名簿東京支店大阪支店名古屋支店福岡支店札幌支店仙台支店広島支店共",
          "有最終版.tvr"}},
        {"a long name in the main text",
         true,
         "「二〇二四年度会員名簿東京支店大阪支店名古屋支店"
         "福岡支店札幌支店仙台支店広島支店共有最終」を開けませんでした。",
         {"「二〇二四年度会員名簿東京支店大阪支店名古屋支店福岡支店札幌支店仙台支店広島支店",
          "共有最終」を開けませんでした。"}},
        {"a reason",
         false,
         "理由：書類が見つかりません。"
         "一覧を作った後で移動、名前の変更、または削除されたようです。",
         {"理由：書類が見つかりません。一覧を作った後で移動、名前の変更、または削除されたよ",
          "うです。"}},
        {"a long path in a reason",
         false,
         "理由：変換先の「/home/yamada/書類/顧客管理/2024年度/会員名簿のバックアップ/"
         "東京支店と大阪支店の共有/最新版/会員名簿.tvr.tvrmd」"
         "には、フォルダではない項目が既にあります。",
         {"理由：変換先の「/home/yamada/書類/顧客管理/2024年度/会員名簿のバックアップ/",
          "東京支店と大阪支店の共有/最新版/会員名簿.tvr.tvrmd」には、フォルダではない項目が",
          "既にあります。"}},
        {"a long path after a full line",
         false,
         "理由：先に書き出したパッケージと同じ場所になるため、次の変換先は使えません"
         "「/home/yamada/書類/顧客管理/2024年度/会員名簿のバックアップ/"
         "東京支店と大阪支店の共有/最新版/会員名簿.tvr.tvrmd」。",
         {"理由：先に書き出したパッケージと同じ場所になるため、次の変換先は使えません",
          "「/home/yamada/書類/顧客管理/2024年度/会員名簿のバックアップ/",
          "東京支店と大阪支店の共有/最新版/会員名簿.tvr.tvrmd」。"}},
        {"a path that fits on a line",
         false,
         "理由：変換先のフォルダに書き込む前に、"
         "次の書類「/home/yamada/書類/顧客管理/会員名簿.tvr」を確かめてください。",
         {"理由：変換先のフォルダに書き込む前に、次の書類",
          "「/home/yamada/書類/顧客管理/会員名簿.tvr」を確かめてください。"}},
    };
    for (const auto& row : rows) {
      const std::string text = ToUtf8(row.text);
      const std::string message = row.isMessage ? text : "書類を変換できませんでした。";
      const CautionDialog caution{nullptr, "OK", false,   "",
                                  false,   "",   message, row.isMessage ? "" : text};
      QStringList shown;
      WhenShown<QMessageBox>([&](QMessageBox& box) {
        shown = ShownLines(*box.findChild<QLabel*>(row.isMessage ? "qt_msgbox_label"
                                                                 : "qt_msgbox_informativelabel"));
        box.buttons().constLast()->click();
      });
      QtServices().ShowCaution(caution);
      QVERIFY2(shown == row.lines, qPrintable(row.what + (": " + shown.join(" | "))));
    }
  }

  // Qt's own save dialog, driven for real: a new name is taken, an existing
  // package after one question of ours (a sheet on the dialog), anything
  // else of that name is refused, and no answer is ever inside a package.
  void saveDialogTakesANewNameOrAPackageAfterOneQuestion() {
    const QString proposal = QStringLiteral("会員名簿.tvr.tvrmd");
    const char* const refused = "「会員名簿.tvr.tvrmd」には書き出せません。";
    const char* const replace = "「会員名簿.tvr.tvrmd」は既にあります。置き換えますか？";
    const struct {
      const char* taken;     // what stands at the proposed name: "", "package", "file", "link"
      QStringList typed;     // one name per Return; "" keeps the proposal, "open" opens it
      DialogButton answer;   // to our question
      const char* chosen;    // below the folder; nullptr: cancelled
      const char* question;  // the one caution shown
    } rows[] = {
        {"", {""}, DialogButton::Action, "会員名簿.tvr.tvrmd", nullptr},
        {"package", {""}, DialogButton::Action, "会員名簿.tvr.tvrmd", replace},
        {"package", {""}, DialogButton::Cancel, nullptr, replace},
        {"file", {"", "別名.tvrmd"}, DialogButton::Action, "別名.tvrmd", refused},
        {"link", {""}, DialogButton::Action, nullptr, refused},
        {"", {"sub", proposal}, DialogButton::Action, "sub/会員名簿.tvr.tvrmd", nullptr},
        {"package", {"open", proposal}, DialogButton::Action, nullptr, refused},
    };
    for (const auto& row : rows) {
      TempFolder folder;
      const fs::path taken = ToPath(FromPath(folder.path()) + "/" + proposal);
      const std::string what = row.taken;
      fs::create_directory(folder / "sub");
      if (what == "package") fs::create_directory(taken);
      if (what == "file") WriteBytes(taken, "x");
      if (what == "link") fs::create_directory_symlink(folder / "sub", taken);
      ScriptedServices services;
      services.cautionAnswers = {row.answer};
      WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        for (const QString& name : row.typed) {
          if (name == "open") dialog.setDirectory(FromPath(taken));  // as a double-click would
          if (name != "open" && dialog.isVisible()) TypeName(dialog, name);
        }
        if (dialog.isVisible()) dialog.reject();
      });
      const auto chosen = QtServices().SaveAs(Window1(), folder.path(), ToUtf8(proposal));
      QCOMPARE(chosen ? FromPath(*chosen) : QString(),
               row.chosen ? FromPath(folder.path()) + "/" + row.chosen : QString());
      std::string shown;  // sheets on the dialog
      for (const CautionDialog& caution : services.cautions) {
        QVERIFY(caution.window && caution.window != Window1());
        shown += caution.message;
      }
      QCOMPARE(shown, std::string(row.question ? row.question : ""));
    }
  }

  void listFilterOffersFoldersAndListDocuments() {
    TempFolder root;
    fs::create_directory(root / "sub");
    for (const char* name : {"named.tvr", "coded", "other", "notes.txt"})
      WriteBytes(root / name, "");
    WriteBytes(root / "._coded", mac_bytes::SidecarBytes(std::nullopt));
    WriteBytes(root / "._other", mac_bytes::SidecarBytes(std::nullopt, "Tavr", "qZt6"));
    ListFileFilter filter(*RegisteredFileType("List"));
    for (const char* name : {"sub", "named.tvr", "coded", "other", "notes.txt"})
      QCOMPARE(filter.Offers(FromPath(root / name)),
               std::string("other notes.txt").find(name) == std::string::npos);
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QMetaObject::invokeMethod(
        App(), [] { throw std::runtime_error("列数が読めません"); }, Qt::QueuedConnection);
    QCOMPARE(QApplication::exec(), 1);
    QCOMPARE(services.log.size(), std::size_t{1});
    QVERIFY(services.log[0].find("列数が読めません") != std::string::npos);
  }

  // Close, Quit and the window's close box each end the event loop.
  void closingEndsTheProgram() {
    const std::function<void()> closes[] = {[] { Command("FileClose")->trigger(); },
                                            [] { Command("FileQuit")->trigger(); },
                                            [] { Window1()->close(); }};
    for (const auto& close : closes) {
      Window1()->show();
      QSignalSpy ending(qApp, &QCoreApplication::aboutToQuit);
      QMetaObject::invokeMethod(qApp, close, Qt::QueuedConnection);
      QCOMPARE(QApplication::exec(), 0);
      QCOMPARE(ending.count(), 1);
    }
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
