// Opening documents and web addresses, starting programs and finding the desktop's CD player, against fake
// xdg-open and xdg-mime programs that this test writes and puts alone on PATH.

#include "platform/linux/LinuxPlatform.h"
#include "tests/platform/linux/StubMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

using Answers = QMap<QString, QString>;  // question -> answer of the fake xdg-mime

class TestLinuxShell : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root_;
    QString bin_;    // the only folder on PATH
    QString docs_;   // documents to open
    QString share_;  // the only XDG data folder besides XDG_DATA_HOME
    LinuxPlatform platform_{std::make_unique<StubMedia>()};

    QString openLog() const { return root_.filePath(u"xdg-open.log"_s); }
    QString mimeLog() const { return root_.filePath(u"xdg-mime.log"_s); }

    static void writeScript(const QString& path, const QString& body)
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
        file.write((u"#!/bin/sh\n"_s + body).toUtf8());
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    static QString quoted(const QString& text)
    {
        QString escaped = text;
        escaped.replace(u"'"_s, u"'\\''"_s);
        return u'\'' + escaped + u'\'';
    }

    // xdg-mime that answers "query filetype <file>" by the file's extension and "query default <type>" from
    // a table; it uses shell built-ins only, as nothing else is on PATH.
    void fakeXdgMime(const Answers& fileTypes, const Answers& defaults, const QString& extra = QString())
    {
        QString body = u"printf '%s\\n' \"$*\" >> "_s + quoted(mimeLog()) + u"\n"_s + extra;
        body += u"if [ \"$1\" = query ] && [ \"$2\" = filetype ]; then\n  case \"$3\" in\n"_s;
        for (auto it = fileTypes.begin(); it != fileTypes.end(); ++it)
            body += u"    *."_s + it.key() + u") printf '%s\\n' "_s + quoted(it.value()) + u" ;;\n"_s;
        body += u"  esac\n  exit 0\nfi\n"_s;
        body += u"if [ \"$1\" = query ] && [ \"$2\" = default ]; then\n  case \"$3\" in\n"_s;
        for (auto it = defaults.begin(); it != defaults.end(); ++it)
            body += u"    "_s + quoted(it.key()) + u") printf '%s\\n' "_s + quoted(it.value()) + u" ;;\n"_s;
        body += u"  esac\n  exit 0\nfi\nexit 1\n"_s;
        writeScript(bin_ + u"/xdg-mime"_s, body);
    }

    void fakeXdgOpen()
    {
        writeScript(bin_ + u"/xdg-open"_s, u"printf '%s|%s\\n' \"$PWD\" \"$*\" >> "_s + quoted(openLog()) + u"\n"_s);
    }

    QString readLog(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void touch(const QString& path)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root_.isValid());
        bin_ = root_.filePath(u"bin"_s);
        docs_ = root_.filePath(u"docs"_s);
        share_ = root_.filePath(u"share"_s);
        QVERIFY(QDir().mkpath(bin_));
        QVERIFY(QDir().mkpath(docs_ + u"/folder"_s));
        QVERIFY(QDir().mkpath(share_ + u"/applications"_s));
        qputenv("PATH", QFile::encodeName(bin_));
        // The system's folder stays, after the test's own, for the MIME type database.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(share_ + u":/usr/share"_s));
        QVERIFY(QDir().mkpath(QDir::homePath()));
        qunsetenv("BROWSER");
        for (const QString& name : {u"a.txt"_s, u"b.xyz"_s, u"c.c"_s, u"d.log"_s})
            touch(docs_ + u'/' + name);
    }

    void init()
    {
        QFile::remove(openLog());
        QFile::remove(mimeLog());
        fakeXdgOpen();
        qunsetenv("BROWSER");
    }

    void shellOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<Answers>("defaults");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("opened");  // what xdg-open receives; empty: it is not started

        const Answers editor{{u"text/plain"_s, u"editor.desktop"_s}};
        const Answers browser{{u"x-scheme-handler/https"_s, u"browser.desktop"_s}};

        QTest::newRow("relative to the working folder") << u"a.txt"_s << u"DOCS"_s << editor << 42 << u"DOCS/a.txt"_s;
        QTest::newRow("file URL") << u"file://DOCS/a.txt"_s << u"DOCS"_s << editor << 42 << u"DOCS/a.txt"_s;
        QTest::newRow("no program for the type") << u"DOCS/b.xyz"_s << u"DOCS"_s << editor << 31 << QString();
        QTest::newRow("program of an ancestor type") << u"DOCS/c.c"_s << u"DOCS"_s << editor << 42 << u"DOCS/c.c"_s;
        QTest::newRow("type with parameters") << u"DOCS/d.log"_s << u"DOCS"_s << editor << 42 << u"DOCS/d.log"_s;
        QTest::newRow("missing file") << u"DOCS/gone.txt"_s << u"DOCS"_s << editor << 2 << QString();
        QTest::newRow("missing folder") << u"DOCS/gone/a.txt"_s << u"DOCS"_s << editor << 3 << QString();
        QTest::newRow("empty path") << QString() << u"DOCS"_s << editor << 2 << QString();
        QTest::newRow("folder")
            << u"DOCS/folder"_s << u"DOCS"_s << Answers{{u"inode/directory"_s, u"files.desktop"_s}} << 42
            << u"DOCS/folder"_s;
        QTest::newRow("missing working folder") << u"DOCS/a.txt"_s << u"DOCS/gone"_s << editor << 42 << u"DOCS/a.txt"_s;
        QTest::newRow("web address with a browser")
            << u"https://example.org/qa.html"_s << u"DOCS"_s << browser << 42 << u"https://example.org/qa.html"_s;
        QTest::newRow("mail address without a program")
            << u"mailto:someone@example.org"_s << u"DOCS"_s << browser << 31 << QString();
    }

    void shellOpen()
    {
        QFETCH(QString, path);
        QFETCH(QString, directory);
        QFETCH(Answers, defaults);
        QFETCH(int, expected);
        QFETCH(QString, opened);
        path.replace(u"DOCS"_s, docs_);
        directory.replace(u"DOCS"_s, docs_);
        opened.replace(u"DOCS"_s, docs_);
        fakeXdgMime({{u"txt"_s, u"text/plain"_s}, {u"xyz"_s, u"application/x-xyz"_s}, {u"c"_s, u"text/x-csrc"_s},
                     {u"log"_s, u"text/plain; charset=us-ascii"_s}},
                    defaults);

        QCOMPARE(platform_.shellOpen(path, directory), expected);
        if (opened.isEmpty()) {
            QVERIFY(!QFileInfo::exists(openLog()));
        } else {
            // xdg-open runs detached, in the working folder when it exists and else in the home folder.
            const QString folder = QFileInfo(directory).isDir() ? directory : QDir::homePath();
            QTRY_COMPARE(readLog(openLog()), folder + u'|' + opened + u'\n');
        }
    }

    void aBrowserVariableServesWebAddresses()
    {
        fakeXdgMime({}, {});
        QCOMPARE(platform_.shellOpen(u"https://example.org/"_s, docs_), 31);
        qputenv("BROWSER", "firefox");
        QCOMPARE(platform_.shellOpen(u"https://example.org/"_s, docs_), 42);
        QTRY_COMPARE(readLog(openLog()), docs_ + u"|https://example.org/\n"_s);
        // Only web addresses: mail still needs its program.
        QCOMPARE(platform_.shellOpen(u"mailto:a@example.org"_s, docs_), 31);
    }

    void withoutXdgOpenNothingOpens()
    {
        fakeXdgMime({{u"txt"_s, u"text/plain"_s}},
                    {{u"text/plain"_s, u"editor.desktop"_s}, {u"x-scheme-handler/https"_s, u"browser.desktop"_s}});
        QVERIFY(QFile::remove(bin_ + u"/xdg-open"_s));
        QCOMPARE(platform_.shellOpen(docs_ + u"/a.txt"_s, docs_), 31);
        QCOMPARE(platform_.shellOpen(u"https://example.org/"_s, docs_), 31);
        // A missing file is still reported as such.
        QCOMPARE(platform_.shellOpen(docs_ + u"/gone.txt"_s, docs_), 2);
    }

    // When the desktop cannot be asked, xdg-open gets its chance.
    void anUnanswerableDesktopStillOpens_data()
    {
        QTest::addColumn<bool>("mimeInstalled");
        QTest::newRow("xdg-mime missing") << false;
        QTest::newRow("xdg-mime hangs") << true;
    }

    void anUnanswerableDesktopStillOpens()
    {
        QFETCH(bool, mimeInstalled);
        QFile::remove(bin_ + u"/xdg-mime"_s);
        if (mimeInstalled)
            writeScript(bin_ + u"/xdg-mime"_s, u"while :; do :; done\n"_s);
        QCOMPARE(platform_.shellOpen(docs_ + u"/a.txt"_s, docs_), 42);
        QTRY_COMPARE(readLog(openLog()), docs_ + u'|' + docs_ + u"/a.txt\n"_s);
    }

    void runProgram()
    {
        const QString marker = root_.filePath(u"ran"_s);
        QFile::remove(marker);
        writeScript(bin_ + u"/player"_s, u"printf '%s|%s' \"$PWD\" \"$*\" > "_s + quoted(marker) + u"\n"_s);
        QVERIFY(platform_.runProgram(bin_ + u"/player"_s, {u"/dev/sr0"_s, u"two words"_s}));
        QTRY_COMPARE(readLog(marker), QDir::homePath() + u"|/dev/sr0 two words"_s);

        QVERIFY(!platform_.runProgram(bin_ + u"/no-such-player"_s, {}));
        QVERIFY(!platform_.runProgram(QString(), {}));
    }

    void cdPlayerPath_data()
    {
        QTest::addColumn<QString>("defaultId");
        QTest::addColumn<QString>("entryPath");  // below share/applications
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");  // BIN stands for the fake bin folder

        const QString id = u"dawnbell-test-player.desktop"_s;
        const QString head = u"[Desktop Entry]\nType=Application\nName=Player\n"_s;
        QTest::newRow("program on PATH") << id << id << head + u"Exec=cdplayer --play %U\n"_s << u"BIN/cdplayer"_s;
        QTest::newRow("quotes and escapes")
            << id << id << head + u"Exec=\"BIN/cd\\splayer\" --title \"a \\\\\"b\\\\\"\"\n"_s << u"BIN/cd player"_s;
        QTest::newRow("escaped blank splits") << id << id << head + u"Exec=BIN/cdplayer\\s--play\n"_s << u"BIN/cdplayer"_s;
        QTest::newRow("env prefix") << id << id << head + u"Exec=env LANG=C QT_SCALE=2 cdplayer %U\n"_s << u"BIN/cdplayer"_s;
        QTest::newRow("vendor folder")
            << u"dawnbelltest-player.desktop"_s << u"dawnbelltest/player.desktop"_s << head + u"Exec=cdplayer\n"_s
            << u"BIN/cdplayer"_s;
        QTest::newRow("no default program") << QString() << id << head + u"Exec=cdplayer\n"_s << QString();
        QTest::newRow("entry file missing") << u"dawnbell-test-other.desktop"_s << id << head + u"Exec=cdplayer\n"_s << QString();
        QTest::newRow("program not installed") << id << id << head + u"Exec=no-such-player %U\n"_s << QString();
        QTest::newRow("TryExec not installed") << id << id << head + u"TryExec=no-such-player\nExec=cdplayer\n"_s << QString();
        QTest::newRow("hidden entry") << id << id << head + u"Hidden=true\nExec=cdplayer\n"_s << QString();
        QTest::newRow("Exec of an action only")
            << id << id << head + u"\n[Desktop Action Play]\nExec=cdplayer --play\n"_s << QString();
        QTest::newRow("empty Exec") << id << id << head + u"Exec=\n"_s << QString();
    }

    void cdPlayerPath()
    {
        QFETCH(QString, defaultId);
        QFETCH(QString, entryPath);
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        entry.replace(u"BIN"_s, bin_);
        expected.replace(u"BIN"_s, bin_);
        writeScript(bin_ + u"/cdplayer"_s, u"exit 0\n"_s);
        writeScript(bin_ + u"/cd player"_s, u"exit 0\n"_s);
        fakeXdgMime({}, defaultId.isEmpty() ? Answers{} : Answers{{u"x-content/audio-cdda"_s, defaultId}});

        const QString applications = share_ + u"/applications"_s;
        QVERIFY(QDir(applications).removeRecursively());
        const QString entryFile = applications + u'/' + entryPath;
        QVERIFY(QDir().mkpath(QFileInfo(entryFile).absolutePath()));
        QFile file(entryFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(entry.toUtf8());
        file.close();

        QCOMPARE(platform_.cdPlayerPath(), expected);
        QVERIFY(readLog(mimeLog()).contains(u"query default x-content/audio-cdda"_s));
    }

    // The user's own entries in XDG_DATA_HOME come before the system's.
    void userEntriesComeFirst()
    {
        writeScript(bin_ + u"/cdplayer"_s, u"exit 0\n"_s);
        writeScript(bin_ + u"/mine"_s, u"exit 0\n"_s);
        fakeXdgMime({}, {{u"x-content/audio-cdda"_s, u"dawnbell-test-player.desktop"_s}});
        const QString userApps = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications"_s;
        QVERIFY(QDir().mkpath(userApps));
        QVERIFY(QDir().mkpath(share_ + u"/applications"_s));
        for (const auto& [folder, program] : {std::pair{userApps, u"mine"_s}, std::pair{share_ + u"/applications"_s, u"cdplayer"_s}}) {
            QFile file(folder + u"/dawnbell-test-player.desktop"_s);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write((u"[Desktop Entry]\nExec="_s + program + u'\n').toUtf8());
        }
        QCOMPARE(platform_.cdPlayerPath(), bin_ + u"/mine"_s);
        QVERIFY(QFile::remove(userApps + u"/dawnbell-test-player.desktop"_s));
    }
};

QTEST_GUILESS_MAIN(TestLinuxShell)
#include "tst_linux_shell.moc"
