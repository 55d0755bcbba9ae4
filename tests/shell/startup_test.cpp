// Start-up: the file types, Qt's Japanese texts, the legacy settings read
// when the main window opens, and what happens to an exception that escapes
// a command.

#include <QAction>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalSpy>
#include <fstream>
#include <sstream>

#include "conversion/list_converter.h"
#include "platform/folder_item.h"
#include "shared/globals.h"
#include "shared/start_up_values.h"
#include "shell/file_types.h"
#include "shell/menu_bar1.h"
#include "shell/qt_text.h"
#include "shell/window1.h"
#include "shell_test_main.h"
#include "support/legacy_document.h"
#include "support/scripted_services.h"

namespace {

// The legacy preference file: a header, the numbers as decimal text, no strings.
void WriteLegacyPreferences(const std::vector<int>& numbers) {
  const std::filesystem::path folder = PreferencesFolder() / "Tavrin初期設定";
  std::filesystem::create_directories(folder);
  std::string bytes;
  legacy::AppendShortString(bytes, "TavrinPref");
  legacy::AppendLong(bytes, static_cast<std::int32_t>(numbers.size()));
  for (int number : numbers) legacy::AppendShortString(bytes, std::to_string(number));
  legacy::AppendLong(bytes, 0);
  legacy::WriteBytes(folder / "pref", bytes);
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class Thrower : public QObject {
 public:
  bool event(QEvent*) override { throw std::runtime_error("列数が読めません"); }
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void fileTypesAreRegisteredInOrder() {
    using namespace FileTypes;
    const std::vector<std::pair<FileType*, FileType>> table = {
        {pPrefFile, {"PrefFile", "", "pref", "qZt5"}},
        {pList, {"List", ".tvr", "Tavr", "qZt5"}},
        {pAnyFile, {"anyFile", "", "????", "????"}},
        {pFolder, {"Folder", "", "fold", "????"}},
        {pApplAny, {"appl/any", ".exe", "APPL", "****"}},
        {pTextFile, {"textFile", ".asc;.ascii;.text;.txt;.csv", "TEXT", "****"}},
        {pListM, {"ListM", ".tvr", "Tavr", "qZt6"}},
    };
    for (const auto& [global, want] : table) {
      QVERIFY(global);
      QCOMPARE(RegisteredFileType(want.Name), global);
      QCOMPARE(global->Extensions, want.Extensions);
      QCOMPARE(global->MacType, want.MacType);
      QCOMPARE(global->MacCreator, want.MacCreator);
    }
    _Release();
    QVERIFY(!pList);
    QVERIFY(!RegisteredFileType("List"));
    _Initialize();
    QCOMPARE(RegisteredFileType("List"), pList);
  }

  void qtsOwnTextsAreJapanese() {
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  }

  // Runs before the window first opens: no legacy preference file exists.
  void withoutLegacyPreferencesEverySettingStaysZero() {
    ScriptedServices services;
    Window1();
    QCOMPARE(gListCre, std::string("qZt5"));
    QCOMPARE(gPrefName, std::string("Tavrin初期設定"));
    for (std::int32_t value : gPref) QCOMPARE(value, 0);
    MenuBar1()->findChild<QAction*>(QStringLiteral("HelpHome"))->trigger();
    QCOMPARE(services.log.front(), std::string("caution"));  // no beep
  }

  void legacyPreferencesAreReadWhenTheWindowOpens() {
    std::vector<int> numbers(23, 0);
    numbers[10] = 1;  // beep before every caution
    numbers[21] = 2;  // scrollKind
    numbers[22] = 5;  // anything but 0: winGeo 0
    WriteLegacyPreferences(numbers);
    ReleaseWindow1();
    gReleaseGlobals();
    Window1();  // a new window runs its opening again

    ScriptedServices services;
    services.cautionAnswers = {DialogButton::Cancel};
    MenuBar1()->findChild<QAction*>(QStringLiteral("HelpHome"))->trigger();
    QCOMPARE(services.log, (std::vector<std::string>{"beep", "caution"}));

    QTemporaryDir folder;
    const std::filesystem::path source = ToPath(folder.filePath(QStringLiteral("a.tvr")));
    legacy::WriteDocument(source, legacy::Document::WithTable({{0, "A", 0}}, {{"x"}}).Bytes());
    ListConverter converter;
    QVERIFY(converter.FileConv(FolderItem(source), FolderItem(source.string() + ".tvrmd")));
    const std::string pref = ReadText(source.string() + ".tvrmd/pref");
    QVERIFY(pref.find("<key>scrollKind</key>\n<integer>2</integer>\n") != std::string::npos);
    QVERIFY(pref.find("<key>winGeo</key>\n<integer>0</integer>\n") != std::string::npos);
  }

  void anExceptionThatEscapesACommandIsShownAndQuits() {
    ScriptedServices services;
    QSignalSpy quits(App(), &App::quitRequested);
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCOMPARE(services.messageBoxes.size(), size_t{1});
    QVERIFY(services.messageBoxes[0].find("列数が読めません") != std::string::npos);
    QCOMPARE(quits.count(), 1);
    QCOMPARE(quits[0][0].toInt(), 1);
  }
};

TAVR_SHELL_TEST_MAIN(StartupTest)
#include "startup_test.moc"
