// The drive table: CD-ROM devices first, then the disc images of the discs folder, one letter each.

#include "platform/cd_drives.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCdDrives : public QObject {
    Q_OBJECT

private:
    QDir discs() const { return QDir(discsFolder()); }

    // Makes an empty file; a name ending in "/" makes a folder.
    void touch(const QString& name) const
    {
        if (name.endsWith(u'/')) {
            QVERIFY(discs().mkdir(name.chopped(1)));
            return;
        }
        QFile file(discs().filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    }

    // The drives that stand for disc images, by file name of their .cue.
    static QStringList imageNames(const std::vector<CdDrive>& drives)
    {
        QStringList names;
        for (const CdDrive& drive : drives) {
            if (drive.isImage)
                names.append(QFileInfo(drive.source).fileName());
        }
        return names;
    }

private slots:
    void init()
    {
        QVERIFY(QDir(discsFolder()).removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
    }

    void discsFolderFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/tmp/somewhere/data/");
        QCOMPARE(discsFolder(), QStringLiteral("/tmp/somewhere/data/Dawnbell/discs"));
        // A relative XDG_DATA_HOME is ignored.
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(discsFolder(), QDir::homePath() + QStringLiteral("/.local/share/Dawnbell/discs"));
        qputenv("XDG_DATA_HOME", saved);
    }

    void imagesNeedTheirBin_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("pair") << QStringList{u"a.cue"_s, u"a.bin"_s} << QStringList{u"a.cue"_s};
        QTest::newRow("cue alone") << QStringList{u"a.cue"_s} << QStringList{};
        QTest::newRow("bin of another name") << QStringList{u"a.cue"_s, u"b.bin"_s} << QStringList{};
        QTest::newRow("a folder is no bin") << QStringList{u"a.cue"_s, u"a.bin/"_s} << QStringList{};
        QTest::newRow("upper-case extensions") << QStringList{u"a.CUE"_s, u"a.BIN"_s} << QStringList{};
        QTest::newRow("dots in the name")
            << QStringList{u"my.disc.cue"_s, u"my.disc.bin"_s, u"my.cue"_s} << QStringList{u"my.disc.cue"_s};
        QTest::newRow("name order, case folded")
            << QStringList{u"b.cue"_s, u"b.bin"_s, u"C.cue"_s, u"C.bin"_s, u"a.cue"_s, u"a.bin"_s,
                           u"10.cue"_s, u"10.bin"_s, u"09.cue"_s, u"09.bin"_s}
            << QStringList{u"09.cue"_s, u"10.cue"_s, u"a.cue"_s, u"b.cue"_s, u"C.cue"_s};
    }

    void imagesNeedTheirBin()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        for (const QString& name : files)
            touch(name);
        QCOMPARE(imageNames(listCdDrives()), expected);
    }

    void missingFolderGivesNoImages()
    {
        QVERIFY(QDir(discsFolder()).removeRecursively());
        QVERIFY(imageNames(listCdDrives()).isEmpty());
    }

    void imagesFollowTheDevicesLetterByLetter()
    {
        for (const QString& name : {u"x.cue"_s, u"x.bin"_s, u"y.cue"_s, u"y.bin"_s})
            touch(name);
        const std::vector<CdDrive> drives = listCdDrives();
        const int devices = static_cast<int>(drives.size()) - 2;
        for (int i = 0; i < static_cast<int>(drives.size()); ++i) {
            QCOMPARE(drives[i].name, QString(QLatin1Char(static_cast<char>('D' + i))) + QLatin1Char(':'));
            QCOMPARE(drives[i].isImage, i >= devices);
        }
        QCOMPARE(drives[devices].source, discs().absoluteFilePath(u"x.cue"_s));
        QCOMPARE(drives[devices + 1].source, discs().absoluteFilePath(u"y.cue"_s));
    }

    void lettersEndAtZ()
    {
        for (int i = 0; i < 30; ++i) {
            const QString base = QStringLiteral("disc%1").arg(i, 2, 10, QLatin1Char('0'));
            touch(base + u".cue"_s);
            touch(base + u".bin"_s);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"only the drive letters D: to Z:"_s));
        const std::vector<CdDrive> drives = listCdDrives();
        QCOMPARE(static_cast<int>(drives.size()), 23);
        QCOMPARE(drives.back().name, u"Z:"_s);
    }

    void findCdDrive_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");
        QTest::newRow("lower case") << u"d:"_s << u"D:"_s;
        QTest::newRow("backslash") << u"D:\\"_s << u"D:"_s;
        QTest::newRow("slash") << u"e:/"_s << u"E:"_s;
        QTest::newRow("not in the table") << u"F:"_s << QString();
        QTest::newRow("letter alone") << u"D"_s << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("two separators") << u"D:\\\\"_s << QString();
        QTest::newRow("longer name") << u"DD:"_s << QString();
        QTest::newRow("path") << u"D:/music"_s << QString();
    }

    void findCdDrive()
    {
        QFETCH(QString, name);
        QFETCH(QString, found);
        const std::vector<CdDrive> drives{{u"D:"_s, u"/dev/sr0"_s, false}, {u"E:"_s, u"/x/a.cue"_s, true}};
        const CdDrive* drive = ::findCdDrive(drives, name);
        QCOMPARE(drive ? drive->name : QString(), found);
    }
};

QTEST_GUILESS_MAIN(TestCdDrives)
#include "tst_cd_drives.moc"
