#include "pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString gResourcesOverride;

// Reads the picture into `cache` when it is not there yet.
QPixmap Cached(QPixmap& cache, const char* fileName) {
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

QPixmap conv() {
  static QPixmap& cache = *new QPixmap;  // kept until the process ends
  return Cached(cache, "conv.png");
}

QPixmap conv2() {
  static QPixmap& cache = *new QPixmap;  // kept until the process ends
  return Cached(cache, "conv2.png");
}

QPixmap file32() {
  static QPixmap& cache = *new QPixmap;  // kept until the process ends
  return Cached(cache, "file32.png");
}

QPixmap getFolder() {
  static QPixmap& cache = *new QPixmap;  // kept until the process ends
  return Cached(cache, "getFolder.png");
}

QPixmap winBottom() {
  static QPixmap& cache = *new QPixmap;  // kept until the process ends
  return Cached(cache, "winBottom.jpg");
}
