#pragma once
// What the desktop says about file types and their programs: GIO's view of the installed desktop entries and of
// mimeapps.list (the same one the desktop's file manager has), and the Exec= lines of desktop entry files. No
// program is started to ask.

#include <QString>
#include <QStringList>

namespace xdg {

// The desktop entry file of the program the desktop opens `mimeType` with ("text/plain", a scheme handler such as
// "x-scheme-handler/https", "x-content/audio-cdda"): the user's default, else one that declares the type; a type's
// parents count too (a C source opens with the program for plain text). Empty when there is none. The first call
// reads the applications folders (tens of milliseconds); later calls answer from GIO's memory.
QString defaultApplicationFile(const QString& mimeType);

enum class Opened { Yes, NoProgram, NotStarted };
// Opens `uri` (a file:// address or a web or mail address) with the program the desktop opens `mimeType` with,
// running in `folder`. Returns at once; the program is not waited for.
Opened openWithDefaultApplication(const QString& mimeType, const QString& uri, const QString& folder);

// The full path of the executable that the entry's Exec= line starts (past an "env NAME=value" prefix);
// empty when the file is no usable application entry or the program is not installed.
QString programOfDesktopEntry(const QString& desktopFile);

// The words of a desktop entry's Exec= value, with its quoting and escapes undone.
QStringList splitExecLine(const QString& exec);

}  // namespace xdg
