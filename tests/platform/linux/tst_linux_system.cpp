// The drive table seen through the platform's drive questions, and files that can or cannot be read.

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

    // The questions answer from the table scanned at start-up and on rescanDrives, never from a look of their own.
    void driveTypes()
    {
        QDir discs(discsFolder());
        QVERIFY(discs.removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
        QFile::remove(driveLettersFile());
        touch(discs.filePath(u"morning.cue"_s));
        touch(discs.filePath(u"morning.bin"_s));
        LinuxPlatform platform(std::make_unique<StubMedia>());
        const auto letterOf = [&](const QString& cue) {
            for (char16_t letter = u'D'; letter <= u'Z'; ++letter) {
                const QString root = QString(QChar(letter)) + u':';
                if (platform.cdDevicePath(root) == discs.absoluteFilePath(cue))
                    return root;
            }
            return QString();
        };
        const QString image = letterOf(u"morning.cue"_s);
        QVERIFY(!image.isEmpty());
        QCOMPARE(platform.getDriveType(image.toLower() + u'\\'), DRIVE_CDROM);
        for (const QString& other : {u"C:"_s, QString(), u"/dev/sr0"_s})
            QCOMPARE(platform.getDriveType(other), DRIVE_NO_ROOT_DIR);

        QVERIFY(discs.remove(u"morning.bin"_s));
        touch(discs.filePath(u"evening.cue"_s));
        touch(discs.filePath(u"evening.bin"_s));
        QCOMPARE(platform.getDriveType(image), DRIVE_CDROM);
        QVERIFY(letterOf(u"evening.cue"_s).isEmpty());
        platform.rescanDrives();
        QCOMPARE(platform.getDriveType(image), DRIVE_NO_ROOT_DIR);
        QCOMPARE(platform.cdDevicePath(image), QString());
        // The new image takes a letter of its own, not that of the one that is gone.
        const QString evening = letterOf(u"evening.cue"_s);
        QVERIFY(!evening.isEmpty() && evening != image);
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "tst_linux_system.moc"
