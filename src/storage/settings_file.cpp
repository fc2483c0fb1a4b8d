#include "settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "draft_file.h"

namespace lumeta {
namespace {

constexpr double kLongestDwell = 10, kLongestInterval = 10, kShortestInterval = 0.1;

// Whether `path` is missing (`exists` false) or a regular file, without following a link.
bool plain_or_missing(const QString& path, bool& exists) {
  struct stat st {};
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
    exists = false;
    return errno == ENOENT;
  }
  exists = true;
  return S_ISREG(st.st_mode);
}

}  // namespace

QString SettingsFile::default_path() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty() || QDir::isRelativePath(config)) {
    config = QDir::homePath() + QStringLiteral("/.config");
  }
  return config + QStringLiteral("/lumeta/lumeta.conf");
}

AccessSettings SettingsFile::load(const QString& path) {
  AccessSettings settings;
  bool exists = false;
  if (!plain_or_missing(path, exists) || !exists) return settings;
  const QSettings file(path, QSettings::IniFormat);
  bool ok = false;
  const double dwell = file.value(QStringLiteral("access/dwell")).toDouble(&ok);
  if (ok && dwell >= 0 && dwell <= kLongestDwell) settings.dwell_seconds = dwell;
  const QString scan = file.value(QStringLiteral("access/scan")).toString();
  if (scan == QLatin1String("off") || scan == QLatin1String("one-switch") ||
      scan == QLatin1String("two-switch")) {
    settings.scan = scan;
  }
  const double interval = file.value(QStringLiteral("access/scan_interval")).toDouble(&ok);
  if (ok && interval >= kShortestInterval && interval <= kLongestInterval) {
    settings.scan_interval_seconds = interval;
  }
  return settings;
}

bool SettingsFile::save(const QString& path, const AccessSettings& settings, QString* error) {
  QString why;
  const QString folder = QFileInfo(path).absolutePath();
  if (DraftFile::prepare_folder(folder, &why) != DraftFile::Folder::usable) {
    if (error) *error = folder + QStringLiteral(": ") + why;
    return false;
  }
  bool exists = false;
  if (!plain_or_missing(path, exists)) {
    if (error) *error = path + QStringLiteral(": not a regular file");
    return false;
  }
  if (!exists) {
    // Created private first: QSettings replaces it with a copy of the same mode.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
      if (error) *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
      return false;
    }
    if (fd >= 0) ::close(fd);
  }
  QSettings file(path, QSettings::IniFormat);
  file.setValue(QStringLiteral("access/dwell"), settings.dwell_seconds);
  file.setValue(QStringLiteral("access/scan"), settings.scan);
  file.setValue(QStringLiteral("access/scan_interval"), settings.scan_interval_seconds);
  file.sync();
  if (file.status() != QSettings::NoError) {
    if (error) *error = path + QStringLiteral(": cannot be written");
    return false;
  }
  return true;
}

}  // namespace lumeta
