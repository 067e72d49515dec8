// The real settings store, each test in a folder of its own: exact round trips, keys of others kept, all-or-
// nothing commits that keep the old file with a reason on failure (a file in the way, a read-only folder, an
// unreadable file, a full disk), and files that were written by hand, some into nonsense.

#include "platform/linux/LinuxSettings.h"
#include "tests/support/files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Stages "Section/Key" = value pairs and commits them.
void save(LinuxSettings& store, std::initializer_list<std::pair<QString, QString>> values)
{
    for (const auto& [name, value] : values)
        store.stage(name.section(u'/', 0, 0), name.section(u'/', 1), value);
    QString error;
    QVERIFY2(store.commit(error), qPrintable(error));
}

}  // namespace

class TestLinuxSettings : public QObject {
    Q_OBJECT

private:
    std::optional<QTemporaryDir> home_;
    QString config() const { return home_->filePath(u"config"_s); }
    QString folder() const { return config() + u"/Dawnbell"_s; }
    QString file() const { return folder() + u"/Dawnbell.conf"_s; }
    QString read(const QString& section, const QString& key) const
    {
        return LinuxSettings(file()).get(section, key, u"<missing>"_s);
    }

private slots:
    void init() { QVERIFY(home_.emplace().isValid()); }

    // A plain file a user can read and edit, written only when something was staged; keys this program does not
    // write, and keys someone added while it ran, are kept; commits that follow each other closely are all seen.
    void commitsKeepWhatOthersWrote()
    {
        QCOMPARE(LinuxSettings::standardFile(), qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Dawnbell/Dawnbell.conf"_s);
        QString error;
        QVERIFY(LinuxSettings(file()).commit(error));  // nothing staged: nothing written
        QVERIFY(!QFileInfo::exists(file()));
        QVERIFY(writeFile(file(), "[Settings]\nForeign=\"keep, me\"\n[Other]\nX=1\n"));
        LinuxSettings store(file());
        store.stage(u"Alarm"_s, u"AlarmTime"_s, u"7:45:00 AM"_s);
        QCOMPARE(store.get(u"Alarm"_s, u"AlarmTime"_s, u"-"_s), u"-"_s);  // staged values count once committed
        QVERIFY2(store.commit(error), qPrintable(error));
        QCOMPARE(store.get(u"Alarm"_s, u"AlarmTime"_s, u"-"_s), u"7:45:00 AM"_s);
        QCOMPARE(store.get(u"Alarm"_s, u"alarmTime"_s, u"-"_s), u"-"_s);  // keys are exact
        QVERIFY(readFile(file()).contains("[Alarm]\nAlarmTime=7:45:00 AM\n"));
        QCOMPARE(read(u"Settings"_s, u"Foreign"_s), u"keep, me"_s);
        QCOMPARE(read(u"Other"_s, u"X"_s), u"1"_s);

        for (int i = 0; i < 20; ++i) {  // same length each time: QSettings must still see each version
            save(store, {{u"Alarm/SnoozeTime"_s, QString::number(i % 10)}});
            QCOMPARE(read(u"Alarm"_s, u"SnoozeTime"_s), QString::number(i % 10));
        }
        QVERIFY(writeFile(file(), readFile(file()).replace("[Alarm]\n", "[Alarm]\nAdded=1\n")));
        save(store, {{u"Alarm/TimerTime"_s, u"3"_s}});
        QCOMPARE(read(u"Alarm"_s, u"Added"_s), u"1"_s);
        QCOMPARE(read(u"Alarm"_s, u"SnoozeTime"_s), u"9"_s);

        // A new version is dated after the one it replaces, even one from a clock that ran ahead.
        const QDateTime ahead = QDateTime::currentDateTime().addSecs(3600);
        {
            QFile old(file());
            QVERIFY(old.open(QIODevice::ReadWrite) && old.setFileTime(ahead, QFileDevice::FileModificationTime));
        }
        save(store, {{u"Alarm/TimerTime"_s, u"4"_s}});
        QVERIFY(QFileInfo(file()).lastModified() > ahead);
        QCOMPARE(read(u"Alarm"_s, u"TimerTime"_s), u"4"_s);

        // Values that the file's own syntax would bend come back exactly.
        const QStringList values{QString(), u"Wake, then work"_s, u" lead"_s, u"C:\\Music\\a,b.wav"_s, u"[Alarm]"_s,
                                 u"@Variant(\\0\\0\\0\\x7f)"_s, u"tab\there\nnext line\r\n"_s, u"\x01" "1f"_s,
                                 u"Réveil 中文 ♫ 𝄞"_s, u"a;b=c"_s, QString(5000, u'x') + u",;=\"\\"_s};
        for (qsizetype i = 0; i < values.size(); ++i)
            store.stage(u"Presets"_s, u"Value%1"_s.arg(i), values[i]);
        QVERIFY2(store.commit(error), qPrintable(error));
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(read(u"Presets"_s, u"Value%1"_s.arg(i)), values[i]);
    }

    void commitFailsWhereAFileBlocksTheFolder_data()
    {
        QTest::addColumn<QString>("blocker");  // in the test's folder; a trailing "/" makes a folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("config folder is a file") << u"config"_s << u"is a file, not a folder"_s;
        QTest::newRow("store folder is a file") << u"config/Dawnbell"_s << u"is a file, not a folder"_s;
        QTest::newRow("store file is a folder") << u"config/Dawnbell/Dawnbell.conf/"_s << u"is a folder, not a file"_s;
    }

    void commitFailsWhereAFileBlocksTheFolder()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, reason);
        const QString path = QDir::cleanPath(home_->filePath(blocker));
        if (blocker.endsWith(u'/'))
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(writeFile(path, "not a folder"));
        LinuxSettings store(file());
        store.stage(u"Settings"_s, u"Top"_s, u"200"_s);
        store.stage(u"Settings"_s, u"Left"_s, u"300"_s);
        QString error;
        QVERIFY(!store.commit(error));
        QVERIFY2(error.contains(path + u' ' + reason), qPrintable(error));

        // Once the way is clear, the same staged values are written, all of them.
        QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        QVERIFY2(store.commit(error), qPrintable(error));
        QCOMPARE(read(u"Settings"_s, u"Top"_s) + read(u"Settings"_s, u"Left"_s), u"200300"_s);
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
        const QByteArray before = "[Settings]\nOther=kept\nProbe=old value\n";
        QVERIFY(writeFile(file(), before));
        outcome.replace(u"FOLDER"_s, folder());

        QStringList command{QStringLiteral(SETTINGS_PROBE), u"new value"_s};
        constexpr auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        if (!denied.isEmpty()) {
            // The superuser reads and writes anywhere, so as root the probe runs as "nobody".
            if (geteuid() == 0) {
                const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
                if (setpriv.isEmpty())
                    QSKIP("running as root without setpriv: no user who is denied anything");
                command = QStringList{setpriv, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, u"--"_s} + command;
                for (const QString& path : {home_->path(), config(), folder()})
                    QVERIFY(QFile::setPermissions(path, all | QFile::WriteOther));
                QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
            }
            if (denied == u"folder"_s)
                QVERIFY(QFile::setPermissions(folder(), all & ~QFile::WriteOwner));
            else
                QVERIFY(QFile::setPermissions(file(), QFile::WriteOwner | QFile::WriteOther));
        }
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home_->path());
        env.insert(u"XDG_CONFIG_HOME"_s, config());
        env.insert(u"TMPDIR"_s, file());  // no folder: nothing may need one
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
        QFile::setPermissions(folder(), all);
        QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner);

        if (outcome == u"ok"_s) {
            QCOMPARE(output, outcome);
            QVERIFY(readFile(file()).contains("Probe=new value"));
        } else {
            QVERIFY2(output.startsWith(u"failed: "_s) && output.contains(outcome),
                     qPrintable(output + QString::fromLocal8Bit(probe.readAllStandardError())));
            QCOMPARE(readFile(file()), before);
        }
        QCOMPARE(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Dawnbell.conf"_s});
    }

    // Files written by hand: a value keeps its own text (QSettings reads an unquoted comma as a list and would
    // give "/m/a, b.wav" back; every value with a comma below shows it), through a save as well. Of nonsense, what QSettings can read is used (how it
    // reads a broken line is its own affair); a file it cannot parse is kept under a name of its own before the
    // first save replaces it, and the user is told once.
    void handWrittenFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("sound");   // what AlarmSound reads as, fallback "-"
        QTest::addColumn<QString>("keptAs");  // the copy of an unparsable file; empty: none
        const QString bad = u"Dawnbell.conf.bad"_s;
        QTest::newRow("blanks around the value")
            << QByteArray("[Alarm]\nAlarmSound =  /m/a , b.wav  \n") << u"/m/a , b.wav"_s << QString();
        QTest::newRow("comment after it") << QByteArray("[Alarm]\nAlarmSound=/m/a,b.wav ; wake up\n") << u"/m/a,b.wav"_s << QString();
        QTest::newRow("same key in another section")
            << QByteArray("[Alarm]\nAlarmSound=/m/a,b.wav\n[Settings]\nAlarmSound=x,y\n") << u"/m/a,b.wav"_s << QString();
        QTest::newRow("the last line counts")
            << QByteArray("[Alarm]\nAlarmSound=/m/1,2.wav\n[Alarm]\nAlarmSound=/m/3,4.wav\n") << u"/m/3,4.wav"_s << QString();
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>((i * 7919) % 256));
        QTest::newRow("binary") << binary << u"-"_s << bad;
        QTest::newRow("broken variant") << QByteArray("[Alarm]\nAlarmSound=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5\\x42la)\n")
                                        << u"-"_s << QString();
        QTest::newRow("byte array") << QByteArray("[Alarm]\nAlarmSound=@ByteArray(12)\n") << u"12"_s << QString();
        QTest::newRow("a line that is no key") << QByteArray("[Alarm]\nAlarmSound=3\nsnooze longer\n") << u"3"_s << bad;
        QTest::newRow("an earlier copy stays") << QByteArray("[Alarm\nAlarmSound=4\n") << u"4"_s << bad + u".2"_s;
    }

    void handWrittenFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, sound);
        QFETCH(QString, keptAs);
        QVERIFY(writeFile(file(), contents));
        if (keptAs.endsWith(u".2"_s))
            QVERIFY(writeFile(file() + u".bad"_s, "an earlier copy"));

        LinuxSettings store(file());
        QCOMPARE(store.get(u"Alarm"_s, u"AlarmSound"_s, u"-"_s), sound);
        const QString notice = store.takeLoadNotice();
        const QString keptPath = folder() + u'/' + keptAs;
        QCOMPARE(notice.isEmpty(), keptAs.isEmpty());
        QVERIFY2(keptAs.isEmpty() || notice.contains(keptPath), qPrintable(notice));
        QCOMPARE(store.takeLoadNotice(), QString());

        // Saving over it works, twice, and gives a store that reads back; an unparsable file is kept as it was.
        save(store, {{u"Alarm/SnoozeTime"_s, u"10"_s}});
        save(store, {{u"Alarm/SnoozeTime"_s, u"11"_s}});
        if (!keptAs.isEmpty())
            QCOMPARE(readFile(keptPath), contents);
        QStringList files{u"Dawnbell.conf"_s};
        if (keptAs.endsWith(u".2"_s))
            files << u"Dawnbell.conf.bad"_s;
        if (!keptAs.isEmpty())
            files << keptAs;
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        LinuxSettings reader(file());
        QCOMPARE(reader.get(u"Alarm"_s, u"AlarmSound"_s, u"-"_s), sound);
        QCOMPARE(reader.get(u"Alarm"_s, u"SnoozeTime"_s, u"-"_s), u"11"_s);
        QCOMPARE(reader.takeLoadNotice(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettings)
#include "tst_linux_settings.moc"
