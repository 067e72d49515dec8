#pragma once
// Some tests clear folders of the home they run in (the discs folder, the drive letters, the desktop entries, the
// settings): ctest gives every test program a home of its own inside the build folder, and those tests refuse to
// run anywhere else, so that starting one by hand never empties a user's own folders.

#include <QDir>
#include <QtGlobal>

inline bool InTestHome()
{
    const QString build = qEnvironmentVariable("DAWNBELL_TEST_BINARY_DIR");
    return !build.isEmpty() && QDir::homePath().startsWith(QDir(build).absolutePath() + QLatin1Char('/'));
}

// Skips the calling test (in initTestCase: the whole program) outside a home of its own.
#define SKIP_OUTSIDE_TEST_HOME()                                                                                   \
    do {                                                                                                           \
        if (!InTestHome())                                                                                         \
            QSKIP("This test clears folders of its home: run it through ctest, which gives it a home of its own."); \
    } while (false)
