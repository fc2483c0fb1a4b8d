// lumeta.conf: how the user works the keys, kept between runs — the dwell time, the scan mode
// and its interval — under $XDG_CONFIG_HOME/lumeta (by default ~/.config/lumeta), through
// QSettings in INI form:
//
//   [access]
//   dwell=0.8
//   scan=one-switch
//   scan_interval=1
//
// The file is the user's alone (0600 in a 0700 folder), never read or written through a link,
// and replaced whole on each save, so a crash or a full disk leaves the last good copy.
#pragma once

#include <QString>

namespace lumeta {

struct AccessSettings {
  double dwell_seconds = 0;              // 0: dwell off
  QString scan = QStringLiteral("off");  // "off", "one-switch", "two-switch"
  double scan_interval_seconds = 1.0;
  bool operator==(const AccessSettings&) const = default;
};

class SettingsFile {
 public:
  static QString default_path();
  // What the file says; the defaults for anything missing or out of range, and for a file that
  // is a link or not a regular file.
  static AccessSettings load(const QString& path);
  // Writes `settings`; false, with the reason in `error`, when the folder is not private or
  // cannot be made, the file is a link, or the write failed (the old file then stays).
  static bool save(const QString& path, const AccessSettings& settings, QString* error = nullptr);
};

}  // namespace lumeta
