// Opening documents and web addresses, starting programs and finding the desktop's CD player, in a desktop of the
// test's own: desktop entries of a fake program that logs how it was started, alone in the XDG data folders.

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/xdg.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/TestHome.h"
#include "tests/support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLinuxShell : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root_;
    QString bin_;    // the only folder on PATH
    QString docs_;   // documents to open
    QString share_;  // the only XDG data folder besides XDG_DATA_HOME
    std::unique_ptr<LinuxPlatform> platform_;

    QString log() const { return root_.filePath(u"started.log"_s); }

    static void writeScript(const QString& path, const QString& body)
    {
        QVERIFY(writeFile(path, "#!/bin/sh\n" + body.toUtf8()));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QString readLog() const
    {
        return QString::fromUtf8(readFile(log()));
    }

    // A desktop entry in the test's applications folder, and its line in the folder's index of types (what
    // update-desktop-database writes when a package installs the entry).
    void writeEntry(const QString& name, const QString& exec, const QString& mimeType)
    {
        const QString id = u"dawnbell-test-"_s + name + u".desktop"_s;
        QVERIFY(writeFile(share_ + u"/applications/"_s + id, (u"[Desktop Entry]\nType=Application\nName="_s + name +
                          u"\nExec="_s + exec + u"\nMimeType="_s + mimeType + u";\n"_s).toUtf8()));
        mimeCache_ += mimeType + u'=' + id + u";\n"_s;
    }
    QString mimeCache_ = u"[MIME Cache]\n"_s;

private slots:
    void initTestCase()
    {
        SKIP_OUTSIDE_TEST_HOME();
        QVERIFY(root_.isValid());
        bin_ = root_.filePath(u"bin"_s);
        docs_ = root_.filePath(u"docs"_s);
        share_ = root_.filePath(u"share"_s);
        QVERIFY(QDir().mkpath(docs_ + u"/folder"_s));
        QVERIFY(QDir().mkpath(share_));
        QVERIFY(QDir().mkpath(QDir::homePath()));
        // The system's MIME database, without the system's programs.
        QVERIFY(QFile::link(u"/usr/share/mime"_s, share_ + u"/mime"_s));
        qputenv("PATH", QFile::encodeName(bin_));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(share_));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root_.filePath(u"etc"_s)));
        QVERIFY(QDir(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications"_s).removeRecursively());

        writeScript(bin_ + u"/app"_s, u"printf '%s|%s|%s\\n' \"$1\" \"$PWD\" \"$2\" >> '"_s + log() + u"'\n"_s);
        writeScript(bin_ + u"/cdplayer"_s, u"exit 0\n"_s);
        writeEntry(u"editor"_s, bin_ + u"/app editor %f"_s, u"text/plain"_s);
        writeEntry(u"files"_s, bin_ + u"/app files %f"_s, u"inode/directory"_s);
        writeEntry(u"browser"_s, bin_ + u"/app browser %u"_s, u"x-scheme-handler/https"_s);
        writeEntry(u"other-player"_s, bin_ + u"/app other-player"_s, u"x-content/audio-cdda"_s);
        writeEntry(u"player"_s, u"cdplayer --play %U"_s, u"x-content/audio-cdda"_s);
        QVERIFY(writeFile(share_ + u"/applications/mimeinfo.cache"_s, mimeCache_.toUtf8()));
        // The user's choice among the two CD players.
        QVERIFY(writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s,
                          "[Default Applications]\nx-content/audio-cdda=dawnbell-test-player.desktop\n"));
        for (const QString& name : {u"a.txt"_s, u"f.pdf"_s})
            QVERIFY(writeFile(docs_ + u'/' + name, "x"));

        // Made after the desktop: it reads the desktop's programs as it starts.
        platform_ = std::make_unique<LinuxPlatform>(makeMediaEngine);
    }

    void init()
    {
        QFile::remove(log());
        qunsetenv("BROWSER");
    }

    void shellOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("started");  // program|working folder|what it opens; empty: nothing starts

        QTest::newRow("relative to the working folder") << u"a.txt"_s << u"DOCS"_s << 42 << u"editor|DOCS|DOCS/a.txt"_s;
        QTest::newRow("file URL") << u"file://DOCS/a.txt"_s << u"DOCS"_s << 42 << u"editor|DOCS|DOCS/a.txt"_s;
        QTest::newRow("folder") << u"DOCS/folder"_s << u"DOCS"_s << 42 << u"files|DOCS|DOCS/folder"_s;
        QTest::newRow("missing working folder") << u"DOCS/a.txt"_s << u"DOCS/gone"_s << 42 << u"editor|HOME|DOCS/a.txt"_s;
        QTest::newRow("web address")
            << u"https://example.org/qa.html"_s << u"DOCS"_s << 42 << u"browser|DOCS|https://example.org/qa.html"_s;
        QTest::newRow("no program for the type") << u"DOCS/f.pdf"_s << u"DOCS"_s << 31 << QString();
        QTest::newRow("missing file") << u"DOCS/gone.txt"_s << u"DOCS"_s << 2 << QString();
        QTest::newRow("missing folder") << u"DOCS/gone/a.txt"_s << u"DOCS"_s << 3 << QString();
        QTest::newRow("empty path") << QString() << u"DOCS"_s << 2 << QString();
    }

    void shellOpen()
    {
        QFETCH(QString, path);
        QFETCH(QString, directory);
        QFETCH(int, expected);
        QFETCH(QString, started);
        for (QString* text : {&path, &directory, &started}) {
            text->replace(u"DOCS"_s, docs_);
            text->replace(u"HOME"_s, QDir::homePath());
        }
        QCOMPARE(platform_->shellOpen(path, directory), expected);
        if (started.isEmpty()) {
            QTest::qWait(100);
            QCOMPARE(readLog(), QString());
        } else {
            QTRY_COMPARE(readLog(), started + u'\n');
        }
    }

    // Without a browser of the desktop's, $BROWSER serves web addresses, and only them.
    void aBrowserVariableServesWebAddresses()
    {
        QCOMPARE(platform_->shellOpen(u"http://example.org/"_s, docs_), 31);
        qputenv("BROWSER", "no-such-browser:app from-variable %s");
        QCOMPARE(platform_->shellOpen(u"http://example.org/"_s, docs_), 42);
        QTRY_COMPARE(readLog(), u"from-variable|"_s + docs_ + u"|http://example.org/\n"_s);
        QCOMPARE(platform_->shellOpen(u"mailto:a@example.org"_s, docs_), 31);
    }

    // The desktop's CD player is the user's choice in mimeapps.list, by the program its entry starts; a program
    // is started in the home folder.
    void cdPlayerAndPrograms()
    {
        QCOMPARE(platform_->cdPlayerPath(), bin_ + u"/cdplayer"_s);
        QVERIFY(platform_->runProgram(bin_ + u"/app"_s, {u"player"_s, u"/dev/sr0"_s}));
        QTRY_COMPARE(readLog(), u"player|"_s + QDir::homePath() + u"|/dev/sr0\n"_s);
        QVERIFY(!platform_->runProgram(bin_ + u"/no-such-player"_s, {}));
        QVERIFY(!platform_->runProgram(QString(), {}));
    }

    void programOfDesktopEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");  // BIN stands for the fake bin folder

        const QString head = u"[Desktop Entry]\nType=Application\nName=Player\n"_s;
        QTest::newRow("quotes and escapes")
            << head + u"Exec=\"BIN/cd\\splayer\" --title \"a \\\\\"b\\\\\"\"\n"_s << u"BIN/cd player"_s;
        QTest::newRow("escaped blank splits") << head + u"Exec=BIN/cdplayer\\s--play\n"_s << u"BIN/cdplayer"_s;
        QTest::newRow("env prefix") << head + u"Exec=env LANG=C QT_SCALE=2 cdplayer %U\n"_s << u"BIN/cdplayer"_s;
        QTest::newRow("program not installed") << head + u"Exec=no-such-player %U\n"_s << QString();
        QTest::newRow("TryExec not installed") << head + u"TryExec=no-such-player\nExec=cdplayer\n"_s << QString();
        QTest::newRow("hidden entry") << head + u"Hidden=true\nExec=cdplayer\n"_s << QString();
        QTest::newRow("Exec of an action only")
            << head + u"\n[Desktop Action Play]\nExec=cdplayer --play\n"_s << QString();
        QTest::newRow("empty Exec") << head + u"Exec=\n"_s << QString();
    }

    void programOfDesktopEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        entry.replace(u"BIN"_s, bin_);
        expected.replace(u"BIN"_s, bin_);
        writeScript(bin_ + u"/cd player"_s, u"exit 0\n"_s);
        const QString file = root_.filePath(u"entry.desktop"_s);
        QVERIFY(writeFile(file, entry.toUtf8()));
        QCOMPARE(xdg::programOfDesktopEntry(file), expected);
        QCOMPARE(xdg::programOfDesktopEntry(root_.filePath(u"missing.desktop"_s)), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxShell)
#include "tst_linux_shell.moc"
