// The real settings store in the test's own home: exact round trips, fallbacks, all-or-nothing commits with a
// reason on failure, and files that were edited by hand into nonsense.

#include "platform/linux/LinuxPlatform.h"
#include "tests/platform/linux/StubMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

    // Commits that follow each other closely and change nothing in the file's length are still seen.
    void quickSuccessiveCommitsAreAllSeen()
    {
        auto platform = makePlatform();
        for (int i = 0; i < 20; ++i) {
            const QString value = QString::number(i % 10);
            platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, value);
            QString error;
            QVERIFY2(platform->commitSettings(error), qPrintable(error));
            QCOMPARE(platform->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"?"_s), value);
        }
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

    // A commit that fails before the store is replaced leaves the old file exactly as it was.
    void failedCommitLeavesTheStoreAlone()
    {
        auto platform = makePlatform();
        platform->saveSetting(u"Alarm"_s, u"AlarmTime"_s, u"6:30:00 AM"_s);
        QString error;
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        const QByteArray before = readAll(storeFile());

        const QByteArray savedTmp = qgetenv("TMPDIR");
        // A file where the temporary folder should be: no scratch folder can be made there.
        const QString notAFolder = configHome() + u"/not-a-folder"_s;
        writeAll(notAFolder, "x");
        qputenv("TMPDIR", QFile::encodeName(notAFolder));
        platform->saveSetting(u"Alarm"_s, u"AlarmTime"_s, u"9:00:00 AM"_s);
        platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, u"5"_s);
        const bool committed = platform->commitSettings(error);
        if (savedTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp);
        QVERIFY(!committed);
        QVERIFY2(error.contains(u"temporary folder"_s), qPrintable(error));
        QCOMPARE(readAll(storeFile()), before);
        QCOMPARE(makePlatform()->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"8"_s), u"8"_s);

        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"AlarmTime"_s, u"?"_s), u"9:00:00 AM"_s);
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"?"_s), u"5"_s);
        // No scratch files are left beside the store.
        QCOMPARE(QDir(storeFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Dawnbell.conf"_s});
    }

    // A folder the user may not write. The superuser writes anywhere, so as root the probe runs as "nobody".
    void commitToAReadOnlyFolderFails()
    {
        QStringList command{QStringLiteral(SETTINGS_PROBE), u"new value"_s};
        QTemporaryDir home;
        QVERIFY(home.isValid());
        if (geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv: no user to whom a folder is read-only");
            command = QStringList{setpriv, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s} + command;
            QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
        }
        const QString folder = home.path() + u"/config/Dawnbell"_s;
        const QString file = folder + u"/Dawnbell.conf"_s;
        writeAll(file, "[Settings]\nProbe=old value\n");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther));

        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.path() + u"/config"_s);
        env.insert(u"TMPDIR"_s, home.path());
        probe.setProcessEnvironment(env);
        probe.start(command.first(), command.mid(1));
        QVERIFY(probe.waitForFinished(30000));
        const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(output.startsWith(u"failed: "_s), qPrintable(output + QString::fromLocal8Bit(probe.readAllStandardError())));
        QVERIFY2(output.contains(u"The folder %1 is read-only."_s.arg(folder)), qPrintable(output));
        QCOMPARE(probe.exitCode(), 1);
        QCOMPARE(readAll(file), QByteArray("[Settings]\nProbe=old value\n"));
    }

    void nonsenseFilesDoNotCrash_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("snoozeTime");  // what SnoozeTime reads as, fallback "8"
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>((i * 7919) % 256));
        QTest::newRow("binary") << binary << u"8"_s;
        QTest::newRow("nul bytes") << QByteArray("[Alarm]\nSnoozeTime=1\0\0\0=\n", 25) << QString();
        QTest::newRow("unterminated quote") << QByteArray("[Alarm]\nSnoozeTime=\"3\n") << u"3\n"_s;
        QTest::newRow("broken variant") << QByteArray("[Alarm]\nSnoozeTime=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5\\x42la)\n")
                                        << u"8"_s;
        QTest::newRow("byte array") << QByteArray("[Alarm]\nSnoozeTime=@ByteArray(12)\n") << u"12"_s;
        QTest::newRow("list") << QByteArray("[Alarm]\nSnoozeTime=1, 2, 3\n") << u"1, 2, 3"_s;
        QTest::newRow("keys without values") << QByteArray("[Alarm]\n=\n==\nSnoozeTime\n") << u"8"_s;
        QTest::newRow("huge line") << (QByteArray("[Alarm]\nSnoozeTime=") + QByteArray(2 * 1024 * 1024, 'y') + '\n')
                                   << QString(2 * 1024 * 1024, u'y');
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe[\0A\0l\0a\0r\0m\0]\0\n\0", 18) << u"8"_s;
        QTest::newRow("empty") << QByteArray() << u"8"_s;
    }

    void nonsenseFilesDoNotCrash()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, snoozeTime);
        writeAll(storeFile(), contents);

        auto platform = makePlatform();
        const QString read = platform->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"8"_s);
        if (!snoozeTime.isNull())
            QCOMPARE(read, snoozeTime);

        // Saving over the nonsense works and gives a store that reads back.
        platform->saveSetting(u"Alarm"_s, u"SnoozeTime"_s, u"10"_s);
        platform->saveSetting(u"Alarm"_s, u"AlarmTime"_s, u"7:45:00 AM"_s);
        QString error;
        QVERIFY2(platform->commitSettings(error), qPrintable(error));
        auto reader = makePlatform();
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"SnoozeTime"_s, u"8"_s), u"10"_s);
        QCOMPARE(reader->getSetting(u"Alarm"_s, u"AlarmTime"_s, u"?"_s), u"7:45:00 AM"_s);
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettings)
#include "tst_linux_settings.moc"
