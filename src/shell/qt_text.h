#pragma once
// Crossings between the core's text and paths (UTF-8 std::string,
// std::filesystem::path) and Qt's QString.

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>

inline QString ToQString(const std::string& utf8) { return QString::fromStdString(utf8); }

inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

// File names go through the locale's file-name encoding, as Qt's own file
// classes do, so that a name that is not valid UTF-8 survives the round trip.
inline std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

inline QString FromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}
