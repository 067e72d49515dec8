#pragma once
// Starting Dawnbell when the user logs in: the desktop's autostart entry for the application,
// $XDG_CONFIG_HOME/autostart/org.dawnbell.Dawnbell.desktop (~/.config/autostart/... by default), which the
// session starts at every log-in.

#include <QString>

// Where the entry lives.
QString AutostartEntryPath();
// True when the entry is there and the desktop has not switched it off (Hidden, or GNOME's
// X-GNOME-Autostart-enabled=false).
bool AutostartEnabled();
// Writes the entry, starting `program` (a full path), replacing any entry there. False with the reason in
// `error` when it could not be written.
bool WriteAutostartEntry(const QString& program, QString& error);
// Removes the entry; having none is no failure. False with the reason in `error`.
bool RemoveAutostartEntry(QString& error);
