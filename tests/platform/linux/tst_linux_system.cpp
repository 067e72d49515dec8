// The drive table seen through getDriveType, and files that can or cannot be read.

#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"
#include "tests/platform/linux/StubMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

}  // namespace

class TestLinuxSystem : public QObject {
    Q_OBJECT

private:
    LinuxPlatform platform_{std::make_unique<StubMedia>()};

private slots:
    void canOpenForReading()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(u"CDPLAYER"_s);
        touch(file);
        QVERIFY(platform_.canOpenForReading(file));
        QVERIFY(!platform_.canOpenForReading(dir.filePath(u"missing"_s)));
        QVERIFY(!platform_.canOpenForReading(dir.path()));  // a folder is no file
        QVERIFY(!platform_.canOpenForReading(QString()));
        if (geteuid() != 0) {  // the superuser reads everything
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
            QVERIFY(!platform_.canOpenForReading(file));
        }
    }

    // Each question looks at the drives afresh: a disc image is there, then gone.
    void driveTypes()
    {
        QDir discs(discsFolder());
        QVERIFY(discs.removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
        touch(discs.filePath(u"morning.cue"_s));
        touch(discs.filePath(u"morning.bin"_s));
        const QString image = listCdDrives().back().name;

        QCOMPARE(platform_.getDriveType(image.toLower() + u'\\'), DRIVE_CDROM);
        QCOMPARE(platform_.cdDevicePath(image), discs.absoluteFilePath(u"morning.cue"_s));
        for (const QString& other : {u"C:"_s, QString(), u"/dev/sr0"_s})
            QCOMPARE(platform_.getDriveType(other), DRIVE_NO_ROOT_DIR);

        QVERIFY(discs.remove(u"morning.bin"_s));
        QCOMPARE(platform_.getDriveType(image), DRIVE_NO_ROOT_DIR);
        QCOMPARE(platform_.cdDevicePath(image), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "tst_linux_system.moc"
