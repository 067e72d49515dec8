#pragma once
// INI files in QSettings' own format (IniFormat) whose values are all texts. QSettings reads them; the text that
// replaces such a file is laid out here, because QSettings' own saving cannot tell a write that failed at its very
// end (a full disk) from one that succeeded. The file is then written with writeFileAtomically.

#include <QByteArray>
#include <QString>

#include <map>

class QSettings;

// section -> key -> text. Keys outside any section belong to the section "General".
using IniSections = std::map<QString, std::map<QString, QString>>;

// Every key that `settings` holds, as text, by section. A value QSettings reads as a list (an unquoted comma in a
// hand-written "AlarmSound=/music/a,b.wav") is the text on the key's own line, as it was written; other values
// QSettings reads as bytes or numbers become their text; a value that is no text at all (a broken
// "@Variant(...)") is left out.
IniSections readIniTexts(const QSettings& settings);

// The text of an INI file that QSettings reads back as exactly `sections`.
QByteArray formatIni(const IniSections& sections);
