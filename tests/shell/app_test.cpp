// The Help commands of the application object.

#include <QAction>
#include <QDir>
#include <QFile>

#include "shared/globals.h"
#include "shell/menu_bar1.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/scripted_services.h"

namespace {

void Choose(const char* item) {
  QAction* action = MenuBar1()->findChild<QAction*>(QString::fromLatin1(item));
  if (!action) qFatal("no menu item %s", item);
  action->trigger();
}

void WriteFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write("{\\rtf1 x}\n");
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    SetResourcesFolder(QStringLiteral(TAVR_RESOURCES_DIR));
    gPref.fill(0);
  }

  void helpDocumentsOpenWithTheirApplication_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("document");
    QTest::newRow("readme") << "HelpReadme" << "お読み下さい.rtf";
    QTest::newRow("manual") << "HelpManual" << "簡易マニュアル.rtf";
  }

  void helpDocumentsOpenWithTheirApplication() {
    QFETCH(QString, item);
    QFETCH(QString, document);
    ScriptedServices services;
    Choose(item.toLatin1().constData());
    QCOMPARE(services.log, std::vector<std::string>{"launch"});
    const QString want = QDir(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj")).filePath(document);
    QCOMPARE(QFileInfo(QString::fromStdString(services.launched.at(0).string())).canonicalFilePath(),
             QFileInfo(want).canonicalFilePath());
  }

  void missingHelpDocumentSaysFileNotFound_data() {
    QTest::addColumn<bool>("hasResources");
    QTest::newRow("documents outside Japanese.lproj") << true;
    QTest::newRow("no resources folder") << false;
  }

  void missingHelpDocumentSaysFileNotFound() {
    QFETCH(bool, hasResources);
    QTemporaryDir folder;
    if (hasResources) {
      // Only Japanese.lproj is looked in: copies beside it do not count.
      QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Japanese.lproj")));
      WriteFile(folder.filePath(QStringLiteral("お読み下さい.rtf")));
      WriteFile(folder.filePath(QStringLiteral("簡易マニュアル.rtf")));
      SetResourcesFolder(folder.path());
    } else {
      SetResourcesFolder(folder.filePath(QStringLiteral("gone")));
    }
    gPref[10] = 1;  // the beep setting belongs to caution dialogs only
    ScriptedServices services;
    Choose("HelpReadme");
    Choose("HelpManual");
    QCOMPARE(services.log, (std::vector<std::string>{"msgbox", "msgbox"}));
    QCOMPARE(services.messageBoxes,
             (std::vector<std::string>{"File Not Found.", "File Not Found."}));
  }

  void homePageOpensOnlyWhenConfirmed_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");
    QTest::newRow("connect") << int(DialogButton::Action) << true;
    QTest::newRow("cancel") << int(DialogButton::Cancel) << false;
  }

  void homePageOpensOnlyWhenConfirmed() {
    QFETCH(int, answer);
    QFETCH(bool, opened);
    ScriptedServices services;
    services.cautionAnswers = {DialogButton(answer)};
    Choose("HelpHome");
    QCOMPARE(services.cautions.size(), size_t{1});
    const CautionDialog& dialog = services.cautions[0].dialog;
    QCOMPARE(dialog.window, static_cast<::Window*>(Window1()));
    QCOMPARE(dialog.actionCaption, std::string("接続する"));
    QVERIFY(dialog.cancelVisible);
    QCOMPARE(dialog.cancelCaption, std::string("キャンセル"));
    QVERIFY(!dialog.alternateVisible);
    QCOMPARE(dialog.message, std::string("Tavrinコンバータのホームページに接続しますか？"));
    const std::string address = kHomePageAddress;
    QCOMPARE(dialog.explanation, "ブラウザを起動して、" + address + " にアクセスします。");
    QCOMPARE(services.urls, opened ? std::vector<std::string>{address} : std::vector<std::string>{});
  }

  void homePageBeepsFirstWhenTheLegacySettingSaysSo() {
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel, DialogButton::Cancel};
    Choose("HelpHome");
    gPref[10] = 1;
    Choose("HelpHome");
    QCOMPARE(services.log, (std::vector<std::string>{"caution", "beep", "caution"}));
  }

  void homePageMakesAMainWindowWhenThereIsNone() {
    ReleaseWindow1();
    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    Choose("HelpHome");
    QVERIFY(services.cautions.at(0).dialog.window);
    QCOMPARE(services.cautions.at(0).dialog.window, static_cast<::Window*>(Window1()));
    QVERIFY(Window1()->isVisible());
    QCOMPARE(Window1()->windowTitle(), QStringLiteral("Tavrin／Tavrinplus ⇒ Tavrinplex"));
  }

  void helpDocumentsAreAsciiRtf_data() {
    QTest::addColumn<QString>("document");
    QTest::newRow("readme") << "お読み下さい.rtf";
    QTest::newRow("manual") << "簡易マニュアル.rtf";
  }

  void helpDocumentsAreAsciiRtf() {
    QFETCH(QString, document);
    QFile file(QDir(QStringLiteral(TAVR_RESOURCES_DIR "/Japanese.lproj")).filePath(document));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("{\\rtf1"));
    int depth = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
      const char c = bytes[i];
      QVERIFY2(static_cast<unsigned char>(c) < 0x80, "a byte beyond ASCII");
      if (c == '\\') {
        ++i;  // an escaped brace or backslash does not nest
      } else if (c == '{') {
        ++depth;
      } else if (c == '}') {
        QVERIFY(--depth >= 0);
        if (depth == 0) QCOMPARE(bytes.mid(i + 1).trimmed(), QByteArray());
      }
    }
    QCOMPARE(depth, 0);
    QVERIFY(bytes.contains("\\u"));  // the Japanese text, escaped
  }
};

TAVR_SHELL_TEST_MAIN(AppTest)
#include "app_test.moc"
