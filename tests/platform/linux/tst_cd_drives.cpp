// The drive table: which devices and disc images are drives, which letters they keep across scans and runs, and
// the platform's drive questions, answered from the table and never from a look of their own.

#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCdDrives : public QObject {
    Q_OBJECT

private:
    QDir discs() const { return QDir(discsFolder()); }
    std::vector<CdDevice> devices_;  // what the table's device lister answers

    CdDriveTable table()
    {
        return CdDriveTable(driveLettersFile(), discsFolder(), [this] { return devices_; });
    }

    // Makes an empty file in the discs folder; a name ending in "/" makes a folder, one ending in "@" a link to a
    // folder elsewhere.
    void touch(const QString& name) const
    {
        if (name.endsWith(u'/')) {
            QVERIFY(discs().mkdir(name.chopped(1)));
            return;
        }
        if (name.endsWith(u'@')) {
            const QString target = QDir::home().filePath(u"music/"_s + name.chopped(1));
            QVERIFY(QDir().mkpath(target));
            QVERIFY(QFile::link(target, discs().filePath(name.chopped(1))));
            return;
        }
        QFile file(discs().filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    }

    void addImage(const QString& base) const
    {
        touch(base + u".cue"_s);
        touch(base + u".bin"_s);
    }

    // "D:=/dev/sr0 E:=a.cue F:=album/": the drives in letter order, images and album folders by their name.
    static QString describe(const std::vector<CdDrive>& drives)
    {
        QStringList parts;
        for (const CdDrive& drive : drives) {
            const QString name = QFileInfo(drive.source).fileName();
            parts << drive.name + u'=' + (drive.isImage ? name : drive.isFolder ? name + u'/' : drive.source);
        }
        return parts.join(u' ');
    }

    // The letters file as "D=/dev/disk/by-id/x E=a.cue", images and album folders by their name.
    static QString rememberedLetters()
    {
        QSettings file(driveLettersFile(), QSettings::IniFormat);
        file.beginGroup(u"Letters"_s);
        QStringList parts;
        for (const QString& letter : file.childKeys()) {
            const QString identity = file.value(letter).toString();
            parts << letter + u'=' + (identity.startsWith(discsFolder()) ? QFileInfo(identity).fileName() : identity);
        }
        return parts.join(u' ');
    }

private slots:
    void initTestCase() { SKIP_OUTSIDE_TEST_HOME(); }

    void init()
    {
        QVERIFY(discs().removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
        QFile::remove(driveLettersFile());
        devices_.clear();
    }

    void aRelativeXdgDataHomeIsIgnored()
    {
        const auto restore = qScopeGuard([saved = qgetenv("XDG_DATA_HOME")] { qputenv("XDG_DATA_HOME", saved); });
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(discsFolder(), QDir::homePath() + u"/.local/share/Dawnbell/discs"_s);
    }

    // Which files make a drive, and which letters the drives keep across scans and runs: a letter keeps naming
    // the drive it was given to; a drive that is gone leaves its letter unused.
    void drivesAndLetters_data()
    {
        QTest::addColumn<QString>("remembered");  // the letters file before: "D=<identity> ..."; images, folders by name
        QTest::addColumn<QStringList>("devices");  // "<node>=<identity>"
        QTest::addColumn<QStringList>("files");    // in the discs folder; "x/" a folder, "x@" a link to a folder
        QTest::addColumn<QString>("expected");     // the drives found
        QTest::addColumn<QString>("rememberedAfter");

        const QString dvd = u"/dev/disk/by-id/ata-DVD_1"_s;
        const QString usb = u"/dev/disk/by-id/usb-CD_2"_s;
        const QStringList none;
        const auto images = [](const QStringList& bases) {
            QStringList files;
            for (const QString& base : bases)
                files << base + u".cue"_s << base + u".bin"_s;
            return files;
        };
        QTest::newRow("no image: a cue alone, a bin of another name, a bin that is a folder, upper-case extensions")
            << QString() << none << QStringList{u"a.cue"_s, u"b.bin"_s, u"c.cue"_s, u"c.bin/"_s, u"d.CUE"_s, u"d.bin"_s, u"e.cue"_s, u"e.BIN"_s}
            << u"D:=c.bin/"_s << u"D=c.bin"_s;
        QTest::newRow("album folders among the images by name, a link to a folder, no hidden folder")
            << QString() << none << (images({u"b"_s}) << u"a/"_s << u"C/"_s << u"d@"_s << u".hidden/"_s)
            << u"D:=a/ E:=b.cue F:=C/ G:=d/"_s << u"D=a E=b.cue F=C G=d"_s;
        QTest::newRow("dots in the name")
            << QString() << none << QStringList{u"my.disc.cue"_s, u"my.disc.bin"_s, u"my.cue"_s} << u"D:=my.disc.cue"_s
            << u"D=my.disc.cue"_s;
        QTest::newRow("first run: devices, then images in name order, case folded")
            << QString() << QStringList{u"/dev/sr0="_s + dvd} << images({u"b"_s, u"C"_s, u"a"_s, u"10"_s, u"09"_s})
            << u"D:=/dev/sr0 E:=09.cue F:=10.cue G:=a.cue H:=b.cue I:=C.cue"_s
            << u"D=%1 E=09.cue F=10.cue G=a.cue H=b.cue I=C.cue"_s.arg(dvd);
        QTest::newRow("an image that sorts first is added")
            << u"D=%1 E=b.cue"_s.arg(dvd) << QStringList{u"/dev/sr0="_s + dvd} << images({u"a"_s, u"b"_s})
            << u"D:=/dev/sr0 E:=b.cue F:=a.cue"_s << u"D=%1 E=b.cue F=a.cue"_s.arg(dvd);
        QTest::newRow("a drive plugged in before the known one")
            << u"D=%1"_s.arg(dvd) << QStringList{u"/dev/sr0="_s + usb, u"/dev/sr1="_s + dvd} << none
            << u"D:=/dev/sr1 E:=/dev/sr0"_s << u"D=%1 E=%2"_s.arg(dvd, usb);
        QTest::newRow("a remembered image is gone")
            << u"D=gone.cue"_s << none << images({u"new"_s}) << u"E:=new.cue"_s << u"D=gone.cue E=new.cue"_s;
        QTest::newRow("letters out of range are ignored")
            << u"A=a.cue Q=q.cue"_s << none << images({u"a"_s, u"q"_s}) << u"D:=a.cue Q:=q.cue"_s << u"D=a.cue Q=q.cue"_s;
    }

    void drivesAndLetters()
    {
        QFETCH(QString, remembered);
        QFETCH(QStringList, devices);
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QFETCH(QString, rememberedAfter);
        if (!remembered.isEmpty()) {
            QSettings file(driveLettersFile(), QSettings::IniFormat);
            for (const QString& entry : remembered.split(u' ')) {
                const QString identity = entry.section(u'=', 1);
                file.setValue(u"Letters/"_s + entry.section(u'=', 0, 0),
                              identity.startsWith(u'/') ? identity : discs().filePath(identity));
            }
        }
        for (const QString& device : devices)
            devices_.push_back({device.section(u'=', 0, 0), device.section(u'=', 1)});
        for (const QString& name : files)
            touch(name);

        CdDriveTable drives = table();
        QString error;
        QVERIFY2(drives.rescan(error), qPrintable(error));
        QCOMPARE(describe(drives.drives()), expected);
        QCOMPARE(rememberedLetters(), rememberedAfter);
        // The next run, and the next scan of this one, see the same letters.
        QVERIFY(drives.rescan(error));
        QCOMPARE(describe(drives.drives()), expected);
        CdDriveTable nextRun = table();
        QVERIFY(nextRun.rescan(error));
        QCOMPARE(describe(nextRun.drives()), expected);
    }

    // Once "D:" to "Z:" are taken, a drive gets no letter, until an image whose file is gone gives its letter up.
    void lettersEndAtZ()
    {
        for (int i = 0; i < 24; ++i)
            addImage(u"disc%1"_s.arg(i, 2, 10, QLatin1Char('0')));
        CdDriveTable drives = table();
        QString error;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"D: to Z: are all taken; .*disc23.cue gets none"_s));
        QVERIFY(drives.rescan(error));
        QCOMPARE(static_cast<int>(drives.drives().size()), 23);
        QCOMPARE(drives.drives().back().name, u"Z:"_s);

        QVERIFY(discs().remove(u"disc02.cue"_s));  // F:
        QVERIFY(drives.rescan(error));
        QCOMPARE(describe(drives.drives()).section(u' ', 2, 2), u"F:=disc23.cue"_s);
    }

    void lettersThatCannotBeRememberedStillHold()
    {
        QVERIFY(QDir().mkpath(driveLettersFile()));  // a folder where the file belongs
        addImage(u"a"_s);
        CdDriveTable drives = table();
        QString error;
        QVERIFY(!drives.rescan(error));
        QVERIFY2(error.startsWith(u"The drive letters could not be remembered: "_s) && error.contains(driveLettersFile()),
                 qPrintable(error));
        QCOMPARE(describe(drives.drives()), u"D:=a.cue"_s);
        QVERIFY(QDir(driveLettersFile()).removeRecursively());
    }

    // The platform scans at start-up and on rescanDrives; in between, its answers do not change. A drive is named by
    // its letter and a colon, in either case, one separator after it allowed.
    void thePlatformAnswersFromItsLastScan()
    {
        addImage(u"morning"_s);
        LinuxPlatform platform(makeMediaEngine);
        const auto letterOf = [&](const QString& cue) {
            for (char16_t letter = u'D'; letter <= u'Z'; ++letter) {
                if (platform.cdDevicePath(QString(QChar(letter)) + u':') == discs().absoluteFilePath(cue))
                    return QString(QChar(letter)) + u':';
            }
            return QString();
        };
        const QString morning = letterOf(u"morning.cue"_s);
        QVERIFY(!morning.isEmpty());
        QCOMPARE(platform.getDriveType(morning.toLower() + u'\\'), DRIVE_CDROM);
        QCOMPARE(platform.getDriveType(morning + u'/'), DRIVE_CDROM);
        for (const QString& other : {u"C:"_s, QString(), u"/dev/sr0"_s, morning.chopped(1), morning + u"\\\\"_s,
                                     morning + u"/music"_s})
            QCOMPARE(platform.getDriveType(other), DRIVE_NO_ROOT_DIR);

        QVERIFY(discs().remove(u"morning.bin"_s));
        addImage(u"evening"_s);
        QCOMPARE(platform.getDriveType(morning), DRIVE_CDROM);
        QVERIFY(letterOf(u"evening.cue"_s).isEmpty());
        platform.rescanDrives();
        QCOMPARE(platform.getDriveType(morning), DRIVE_NO_ROOT_DIR);
        QVERIFY(!letterOf(u"evening.cue"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCdDrives)
#include "tst_cd_drives.moc"
