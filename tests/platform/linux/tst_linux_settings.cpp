// The real settings store in the test's own home: exact round trips, fallbacks, all-or-nothing commits that keep
// the old file with a reason on failure (read-only folder, unreadable file, full disk), and files that were edited
// by hand into nonsense.

#include "platform/linux/LinuxPlatform.h"
#include "tests/platform/linux/StubMedia.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<LinuxPlatform> makePlatform()
{
    return std::make_unique<LinuxPlatform>(std::make_unique<StubMedia>());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Removes whatever stands at `path`, file or folder, after making it writable again.
void removePath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(path).removeRecursively();
    } else if (info.exists() || info.isSymLink()) {
        QFile::remove(path);
    }
}

}  // namespace

class TestLinuxSettings : public QObject {
    Q_OBJECT

private:
    QString configHome() const { return qEnvironmentVariable("XDG_CONFIG_HOME"); }
    QString storeFolder() const { return configHome() + u"/Dawnbell"_s; }
    QString storeFile() const { return storeFolder() + u"/Dawnbell.conf"_s; }

private slots:
    void init()
    {
        removePath(configHome());
        QVERIFY(QDir().mkpath(configHome()));
    }

    void theStoreIsTheNativeFile()
    {
        writeAll(storeFile(), "[Settings]\nForeign=\"keep, me\"\nHandList=a, b\n[Other]\nX=1\n");
        auto platform = makePlatform();
        QCOMPARE(platform->settingsFile(), storeFile());
        platform->saveSetting(u"Alarm"_s, u"AlarmTime"_s, u"7:45:00 AM"_s);
        platform->saveSetting(u"Settings"_s, u"SnoozeTime"_s, u"8"_s);
        QString error;
        QVERIFY2(platform->commitSettings(error), qPrintable(error));

        // A user can read and edit it: plain groups, plain values.
        const QString text = QString::fromUtf8(readAll(storeFile()));
        QVERIFY2(text.contains(u"[Alarm]\nAlarmTime=7:45:00 AM\n"_s), qPrintable(text));
        QVERIFY2(text.contains(u"SnoozeTime=8\n"_s), qPrintable(text));
        // Keys this program does not write are kept.
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Settings"_s, u"Foreign"_s, u"?"_s), u"keep, me"_s);
        QCOMPARE(reader->getSetting(u"Settings"_s, u"HandList"_s, u"?"_s), u"a, b"_s);
        QCOMPARE(reader->getSetting(u"Other"_s, u"X"_s, u"?"_s), u"1"_s);
    }

    // QSettings reads an unquoted comma as a list and would give "/music/a, b.wav" back: a hand-written value keeps
    // its own text, through a save as well.
    void handWrittenCommasStay_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("alarmSound");
        QTest::newRow("path") << QByteArray("[Alarm]\nAlarmSound=/music/a,b.wav\n") << u"/music/a,b.wav"_s;
        QTest::newRow("blanks around the comma") << QByteArray("[Alarm]\nAlarmSound=/m/a , b.wav\n") << u"/m/a , b.wav"_s;
        QTest::newRow("blanks around the value") << QByteArray("[Alarm]\nAlarmSound =  /m/a,b.wav  \n") << u"/m/a,b.wav"_s;
        QTest::newRow("comment after it") << QByteArray("[Alarm]\nAlarmSound=/m/a,b.wav ; wake up\n") << u"/m/a,b.wav"_s;
        QTest::newRow("quoted") << QByteArray("[Alarm]\nAlarmSound=\"/m/a,b.wav\"\n") << u"/m/a,b.wav"_s;
        QTest::newRow("same key in another section")
            << QByteArray("[Settings]\nAlarmSound=x,y\n[Alarm]\nAlarmSound=/m/a,b.wav\n") << u"/m/a,b.wav"_s;
        QTest::newRow("the last line counts")
            << QByteArray("[Alarm]\nAlarmSound=/m/1,2.wav\n[Alarm]\nAlarmSound=/m/3,4.wav\n") << u"/m/3,4.wav"_s;
    }

    void handWrittenCommasStay()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, alarmSound);
        writeAll(storeFile(), contents);
        auto platform = makePlatform();
        QCOMPARE(platform->getSetting(u"Alarm"_s, u"AlarmSound"_s, u"?"_s), alarmSound);
        platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, u"9"_s);
        QString error;
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        QCOMPARE(makePlatform()->getSetting(u"Alarm"_s, u"AlarmSound"_s, u"?"_s), alarmSound);
    }

    void awkwardValuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString();
        QTest::newRow("comma and blank") << u"Wake, then work"_s;
        QTest::newRow("leading blank") << u" lead"_s;
        QTest::newRow("backslashes") << u"C:\\Music\\a,b.wav"_s;
        QTest::newRow("section lookalike") << u"[Alarm]"_s;
        QTest::newRow("variant lookalike") << u"@Variant(\\0\\0\\0\\x7f)"_s;
        QTest::newRow("tab and newline") << u"tab\there\nnext line\r\n"_s;
        QTest::newRow("non-ASCII") << u"Réveil 中文 ♫"_s;
        QTest::newRow("long") << QString(5000, u'x') + u",;=\"\\"_s;
    }

    void awkwardValuesRoundTrip()
    {
        QFETCH(QString, value);
        {
            auto writer = makePlatform();
            writer->saveSetting(u"Presets"_s, u"Preset2Desc"_s, value);
            QString error;
            QVERIFY2(writer->commitSettings(error), qPrintable(error));
        }
        auto reader = makePlatform();
        const QString read = reader->getSetting(u"Presets"_s, u"Preset2Desc"_s, u"<missing>"_s);
        QCOMPARE(read, value);
    }

    void valuesAreReadOnlyOnceCommitted()
    {
        auto platform = makePlatform();
        platform->saveSetting(u"Settings"_s, u"Left"_s, u"975"_s);
        QVERIFY(!QFileInfo::exists(storeFile()));
        QCOMPARE(platform->getSetting(u"Settings"_s, u"Left"_s, u"fb"_s), u"fb"_s);

        // A commit with nothing staged writes nothing and succeeds.
        QString error;
        QVERIFY(makePlatform()->commitSettings(error));
        QVERIFY(!QFileInfo::exists(storeFile()));

        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        QCOMPARE(platform->getSetting(u"Settings"_s, u"Left"_s, u"fb"_s), u"975"_s);
        QCOMPARE(platform->getSetting(u"Settings"_s, u"Top"_s, u"fb"_s), u"fb"_s);      // missing key
        QCOMPARE(platform->getSetting(u"Presets"_s, u"Preset1"_s, u"fb"_s), u"fb"_s);   // missing section
        QCOMPARE(platform->getSetting(u"Settings"_s, u"left"_s, u"fb"_s), u"fb"_s);     // keys are exact
    }

    // Commits that follow each other closely and change nothing in the file's length are all seen, and a key that
    // someone else added to the file in between is kept.
    void successiveCommits()
    {
        auto platform = makePlatform();
        for (int i = 0; i < 20; ++i) {
            const QString value = QString::number(i % 10);
            platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, value);
            QString error;
            QVERIFY2(platform->commitSettings(error), qPrintable(error));
            QCOMPARE(makePlatform()->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"?"_s), value);
        }
        QByteArray text = readAll(storeFile());
        text.replace("[Alarm]\n", "[Alarm]\nForeign=1\n");
        writeAll(storeFile(), text);
        platform->saveSetting(u"Alarm"_s, u"TimerTime"_s, u"3"_s);
        QString error;
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"Foreign"_s, u"?"_s), u"1"_s);
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"?"_s), u"9"_s);
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"TimerTime"_s, u"?"_s), u"3"_s);

        // Each version is dated after the one it replaces, even one from a clock that ran ahead: QSettings knows
        // a file's versions apart by their size and time.
        const QDateTime ahead = QDateTime::currentDateTime().addSecs(3600);
        {
            QFile file(storeFile());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(ahead, QFileDevice::FileModificationTime));
        }
        platform->saveSetting(u"Alarm"_s, u"TimerTime"_s, u"4"_s);
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        QVERIFY(QFileInfo(storeFile()).lastModified() > ahead);
        QCOMPARE(makePlatform()->getSetting(u"Alarm"_s, u"TimerTime"_s, u"?"_s), u"4"_s);
    }

    void commitFailsWhereAFileBlocksTheFolder_data()
    {
        QTest::addColumn<QString>("blocker");  // relative to XDG_CONFIG_HOME; a trailing "/" makes a folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("config folder is a file") << QString() << u"is a file, not a folder"_s;
        QTest::newRow("store folder is a file") << u"Dawnbell"_s << u"is a file, not a folder"_s;
        QTest::newRow("store file is a folder") << u"Dawnbell/Dawnbell.conf/"_s << u"is a folder, not a file"_s;
    }

    void commitFailsWhereAFileBlocksTheFolder()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, reason);
        const QString blockerPath = QDir::cleanPath(configHome() + u'/' + blocker);
        removePath(blockerPath);
        if (blocker.endsWith(u'/'))
            QVERIFY(QDir().mkpath(blockerPath));
        else
            writeAll(blockerPath, "not a folder");

        auto platform = makePlatform();
        platform->saveSetting(u"Settings"_s, u"Top"_s, u"200"_s);
        platform->saveSetting(u"Settings"_s, u"Left"_s, u"300"_s);
        QString error;
        QVERIFY(!platform->commitSettings(error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(blockerPath) + u' ' + reason), qPrintable(error));

        // Once the way is clear, the same staged values are written, all of them.
        removePath(blockerPath);
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Settings"_s, u"Top"_s, u"?"_s), u"200"_s);
        QCOMPARE(reader->getSetting(u"Settings"_s, u"Left"_s, u"?"_s), u"300"_s);
    }

    // A save that cannot be written leaves the old file exactly as it was, says why, and leaves no scratch file
    // behind. The store runs in a child process: as a user who may not write the folder or read the file, or
    // under a file size limit that fails the write at its last flush, as a full disk does.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("denied");     // "folder" is read-only or "file" unreadable to the probe
        QTest::addColumn<int>("fileSizeLimit");  // bytes; 0: none
        QTest::addColumn<QString>("outcome");    // "ok", or a part of the reason; FOLDER stands for the store's folder
        QTest::newRow("read-only folder") << u"folder"_s << 0 << u"The folder FOLDER is read-only."_s;
        QTest::newRow("unreadable file")
            << u"file"_s << 0 << u"The settings file FOLDER/Dawnbell.conf cannot be read, so it was not replaced."_s;
        QTest::newRow("disk full at the last write") << QString() << 12 << u"FOLDER/Dawnbell.conf could not be written"_s;
        // The old store drafted the file in /tmp: a full /tmp failed every save.
        QTest::newRow("no temporary folder is needed") << QString() << 0 << u"ok"_s;
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, denied);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, outcome);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString folder = home.path() + u"/config/Dawnbell"_s;
        const QString file = folder + u"/Dawnbell.conf"_s;
        const QByteArray before = "[Settings]\nOther=kept\nProbe=old value\n";
        writeAll(file, before);
        outcome.replace(u"FOLDER"_s, folder);

        QStringList command{QStringLiteral(SETTINGS_PROBE), u"new value"_s};
        constexpr auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        if (!denied.isEmpty()) {
            // The superuser reads and writes anywhere, so as root the probe runs as "nobody".
            if (geteuid() == 0) {
                const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
                if (setpriv.isEmpty())
                    QSKIP("running as root without setpriv: no user who is denied anything");
                command = QStringList{setpriv, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s} + command;
                for (const QString& path : {home.path(), home.path() + u"/config"_s, folder})
                    QVERIFY(QFile::setPermissions(path, all | QFile::WriteOther));
                QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
            }
            if (denied == u"folder"_s)
                QVERIFY(QFile::setPermissions(folder, all & ~QFile::WriteOwner));
            else
                QVERIFY(QFile::setPermissions(file, QFile::WriteOwner | QFile::WriteOther));
        }
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.path() + u"/config"_s);
        env.insert(u"TMPDIR"_s, file);  // no folder: nothing may need one
        probe.setProcessEnvironment(env);
        if (fileSizeLimit > 0) {
            // Writes beyond the limit fail with EFBIG, as writes on a full disk fail with ENOSPC.
            probe.setChildProcessModifier([fileSizeLimit] {
                const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                ::signal(SIGXFSZ, SIG_IGN);
            });
        }
        probe.start(command.first(), command.mid(1));
        QVERIFY(probe.waitForFinished(30000));
        const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
        QFile::setPermissions(folder, all);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

        if (outcome == u"ok"_s) {
            QCOMPARE(output, outcome);
            QVERIFY(readAll(file).contains("Probe=new value"));
        } else {
            QVERIFY2(output.startsWith(u"failed: "_s) && output.contains(outcome),
                     qPrintable(output + QString::fromLocal8Bit(probe.readAllStandardError())));
            QCOMPARE(readAll(file), before);
        }
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Dawnbell.conf"_s});
    }

    // Files edited by hand into nonsense: what QSettings can read is used; a file it cannot parse is kept under a
    // name of its own before the first save replaces it, and the user is told once.
    void nonsenseFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("snoozeTime");  // what SnoozeTime reads as, fallback "8"; null: whatever it is
        QTest::addColumn<QString>("keptAs");      // the copy of an unparsable file; empty: none
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>((i * 7919) % 256));
        const QString bad = u"Dawnbell.conf.bad"_s;
        QTest::newRow("binary") << binary << u"8"_s << bad;
        QTest::newRow("nul bytes") << QByteArray("[Alarm]\nSnoozeTime=1\0\0\0=\n", 25) << QString() << QString();
        QTest::newRow("unterminated quote") << QByteArray("[Alarm]\nSnoozeTime=\"3\n") << u"3\n"_s << QString();
        QTest::newRow("broken variant") << QByteArray("[Alarm]\nSnoozeTime=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5\\x42la)\n")
                                        << u"8"_s << QString();
        QTest::newRow("byte array") << QByteArray("[Alarm]\nSnoozeTime=@ByteArray(12)\n") << u"12"_s << QString();
        QTest::newRow("list") << QByteArray("[Alarm]\nSnoozeTime=1, 2, 3\n") << u"1, 2, 3"_s << QString();
        QTest::newRow("keys without values") << QByteArray("[Alarm]\n=\n==\nSnoozeTime\n") << u"8"_s << bad;
        QTest::newRow("a line that is no key") << QByteArray("[Alarm]\nSnoozeTime=3\nsnooze longer\n") << u"3"_s << bad;
        QTest::newRow("an earlier copy stays") << QByteArray("[Alarm\nSnoozeTime=4\n") << u"4"_s << bad + u".2"_s;
        QTest::newRow("huge line") << (QByteArray("[Alarm]\nSnoozeTime=") + QByteArray(2 * 1024 * 1024, 'y') + '\n')
                                   << QString(2 * 1024 * 1024, u'y') << QString();
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe[\0A\0l\0a\0r\0m\0]\0\n\0", 18) << u"8"_s << bad;
        QTest::newRow("empty") << QByteArray() << u"8"_s << QString();
    }

    void nonsenseFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, snoozeTime);
        QFETCH(QString, keptAs);
        writeAll(storeFile(), contents);
        if (keptAs.endsWith(u".2"_s))
            writeAll(storeFile() + u".bad"_s, "an earlier copy");

        auto platform = makePlatform();
        const QString read = platform->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"8"_s);
        if (!snoozeTime.isNull())
            QCOMPARE(read, snoozeTime);
        const QString notice = platform->takeLoadNotice();
        const QString keptPath = storeFolder() + u'/' + keptAs;
        QCOMPARE(notice.isEmpty(), keptAs.isEmpty());
        QVERIFY2(keptAs.isEmpty() || notice.contains(keptPath), qPrintable(notice));
        QCOMPARE(platform->takeLoadNotice(), QString());

        // Saving over the nonsense works and gives a store that reads back; the unparsable file is kept as it was.
        for (const QString& value : {u"10"_s, u"11"_s}) {
            platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, value);
            platform->saveSetting(u"Alarm"_s, u"AlarmTime"_s, u"7:45:00 AM"_s);
            QString error;
            QVERIFY2(platform->commitSettings(error), qPrintable(error));
        }
        if (!keptAs.isEmpty())
            QCOMPARE(readAll(keptPath), contents);
        QStringList files{u"Dawnbell.conf"_s};
        if (keptAs.endsWith(u".2"_s))
            files << u"Dawnbell.conf.bad"_s;
        if (!keptAs.isEmpty())
            files << keptAs;
        QCOMPARE(QDir(storeFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"8"_s), u"11"_s);
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"AlarmTime"_s, u"?"_s), u"7:45:00 AM"_s);
        QCOMPARE(reader->takeLoadNotice(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettings)
#include "tst_linux_settings.moc"
