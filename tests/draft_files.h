// What the draft tests share: Shift-JIS text from UTF-8 literals, and files read and written.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "sjis.h"

namespace lumeta::testing {

// Test strings are written in UTF-8; the draft takes and gives the engine's Shift-JIS.
inline std::string cp932(const char8_t* utf8) {
  return sjis::from_utf8(reinterpret_cast<const char*>(utf8)).value();
}

inline QByteArray read_all(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write_all(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace lumeta::testing
