#include "app.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

#include "pictures.h"
#include "platform/services.h"
#include "qt_text.h"
#include "shared/globals.h"
#include "window1.h"

const char* const kHomePageAddress = "https://www.example.com/tavrin/";

App::App(int& argc, char** argv) : QApplication(argc, argv) {}

bool App::_HelpHome_Action() {
  class Window1* window = ::Window1();
  const std::string address = kHomePageAddress;
  const std::int32_t answer = gCautionDlg(window, 2, "接続する", "キャンセル", "",
                                          "Tavrinコンバータのホームページに接続しますか？",
                                          "ブラウザを起動して、" + address + " にアクセスします。");
  if (answer == 2 && !CurrentServices().ShowURL(address)) {
    gCautionDlg1(window, "ホームページを開けませんでした。",
                 "アドレス：" + address + "\n理由：ブラウザを起動できませんでした。");
  }
  return true;
}

bool App::_HelpReadme_Action() { return OpenHelpDocument(QStringLiteral("お読み下さい.rtf")); }

bool App::_HelpManual_Action() { return OpenHelpDocument(QStringLiteral("簡易マニュアル.rtf")); }

bool App::OpenHelpDocument(const QString& name) {
  // Only the Japanese folder is looked in; there is no other language.
  const QString resources = ResourcesFolder();
  const QString path = QDir(resources).filePath(QStringLiteral("Japanese.lproj/") + name);
  if (resources.isEmpty() || !QFileInfo(path).isFile()) {
    CurrentServices().MsgBox("File Not Found.");
  } else if (!CurrentServices().Launch(ToPath(path))) {
    // Over the main window, like the home page's messages; the document
    // commands need no window, and without one the caution stands alone.
    gCautionDlg1(
        ExistingWindow1(), "「" + ToUtf8(name) + "」を開けませんでした。",
        "書類：" + ToUtf8(path) + "\n理由：この書類を開くアプリケーションを起動できませんでした。");
  }
  return true;
}

void App::ReportUnhandledException(const char* what) {
  CurrentServices().MsgBox(
      std::string("予期しないエラーが起きたため、プログラムを終了します。\n\n") + what);
  Quit(1);
}

bool App::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ReportUnhandledException(error.what());
  } catch (...) {
    ReportUnhandledException("原因のわからない例外");
  }
  return false;
}

class App* App() {
  return qobject_cast<class App*>(QCoreApplication::instance());
}

void Quit(int status) { QCoreApplication::exit(status); }
