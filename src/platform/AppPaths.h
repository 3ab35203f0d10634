#pragma once

#include <QString>

namespace tanzo::paths {

// Directory of the program's own files (media, help): beside the executable
// in the build tree, or <prefix>/share/tanzo after an install.
QString resourceDirectory();
// The media directory (holds Chord.wav), with a trailing "/".
QString mediaDirectory();
// The help contents.
QString helpDirectory();

// Directory of TANZO.DAT, with a trailing "/": the executable's directory
// when a TANZO.DAT already stands there (a portable copy), otherwise the
// per-user data directory $XDG_DATA_HOME/Merovane/Tanzo/ (created).
QString dataDirectory(const QString& dataFileName);

// The settings file in $XDG_CONFIG_HOME/Merovane/Tanzo/.
QString settingsFilePath();
// The calendar subscriptions beside it (never their passwords).
QString subscriptionsFilePath();
// The last copies of subscribed calendars and their notice flags:
// $XDG_CACHE_HOME/Merovane/Tanzo/subscriptions.
QString subscriptionCacheDirectory();
// The own calendar's sync record, beside the data file (never in it).
QString ownCalendarStatePath(const QString& dataFilePath);

} // namespace tanzo::paths
