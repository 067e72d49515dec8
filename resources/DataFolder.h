// Where Dawnbell's data lives (help.txt and the web pages of the Help menu), and the addresses of those pages.
#pragma once

#include <QString>

// The folder that holds help.txt, without a trailing "/". Looked for, in turn, in:
//   1. $DAWNBELL_DATA_DIR, when set (tests, or a copy of the data kept elsewhere);
//   2. the program's own folder followed by the relative path from the installed program to the installed data
//      ("../share/dawnbell"); the build lays out <build>/share/dawnbell beside <build>/app, so this one rule
//      finds the data both in the build tree and in an installed prefix, wherever the prefix was moved;
//   3. "dawnbell" in each of the desktop's data folders ($XDG_DATA_HOME, then $XDG_DATA_DIRS);
//   4. the data folder of the prefix the build was configured for (a copy of the program elsewhere).
// When none holds help.txt, the place of rule 2, so that opening a file there reports it as missing.
QString DawnbellDataFolder();

// The address of one of Dawnbell's web pages, `path` being its path on the web server ("/dawnbell/qa.html",
// "/dawnbell"). With a web base chosen at build time (DAWNBELL_WEB_BASE, such as "https://www.example.org") it
// is that base followed by the path. Without one it is the page shipped in the data folder, as a file://
// address of <data folder>/pages<path>; a path that names a folder ("/dawnbell") opens its index.html.
QString DawnbellWebAddress(const QString& path);

// The same rule with the base and the data folder given rather than the build's and DawnbellDataFolder().
QString DawnbellWebAddress(const QString& path, const QString& webBase, const QString& dataFolder);
