#include "pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <map>
#include <string>

namespace {

QString gResourcesOverride;

// Each picture is read once and kept until the process ends; one that could
// not be read is looked for again at the next call.
QPixmap Cached(const char* fileName) {
  static auto& caches = *new std::map<std::string, QPixmap>;
  QPixmap& cache = caches[fileName];
  if (cache.isNull()) {
    const QString folder = ResourcesFolder();
    if (!folder.isEmpty()) cache.load(QDir(folder).filePath(QString::fromUtf8(fileName)));
  }
  return cache;
}

}  // namespace

QString ResourcesFolder() {
  QString folder = gResourcesOverride;
  if (folder.isEmpty()) {
    folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../Resources"));
  }
  const QFileInfo info(folder);
  return info.isDir() ? info.canonicalFilePath() : QString();
}

void SetResourcesFolder(const QString& folder) { gResourcesOverride = folder; }

QPixmap conv() { return Cached("conv.png"); }
QPixmap conv2() { return Cached("conv2.png"); }
QPixmap file32() { return Cached("file32.png"); }
QPixmap getFolder() { return Cached("getFolder.png"); }
QPixmap winBottom() { return Cached("winBottom.jpg"); }
