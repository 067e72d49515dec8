#pragma once
// What the desktop says about file types and their programs, asked through xdg-utils and the desktop entry
// files of the XDG data folders.

#include <QString>
#include <QStringList>

#include <optional>

namespace xdg {

// Runs `xdg-mime <arguments>` and returns the first line of its answer, trimmed (possibly empty). No value when
// xdg-mime is not installed, could not be started or did not answer within a short time.
std::optional<QString> mimeQuery(const QStringList& arguments);

// The desktop entry id ("org.example.Player.desktop") of the default program for a MIME type or a scheme handler
// ("x-scheme-handler/https"): empty when the desktop names none. No value when the desktop could not be asked.
std::optional<QString> queryDefaultApplication(const QString& mimeType);

// The same, with "could not be asked" counted as "none".
QString defaultApplication(const QString& mimeType);

// The full path of the desktop entry file of `desktopId` in the applications folders of $XDG_DATA_HOME and
// $XDG_DATA_DIRS (a "vendor-name.desktop" id may also live at "vendor/name.desktop"); empty when there is none.
QString findDesktopEntry(const QString& desktopId);

// The full path of the executable that the entry's Exec= line starts (past an "env NAME=value" prefix);
// empty when the file is no usable application entry or the program is not installed.
QString programOfDesktopEntry(const QString& desktopFile);

// The words of a desktop entry's Exec= value, with its quoting and escapes undone.
QStringList splitExecLine(const QString& exec);

}  // namespace xdg
