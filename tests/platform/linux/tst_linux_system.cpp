// Facts about the machine, the drive table seen through getDriveType, and the hand-over of every
// multimedia call to the media engine.

#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Records each call and answers with values the test can recognise.
class RecordingMedia final : public Multimedia {
public:
    QStringList calls;
    uint32_t mciSendString(const QString& command, QString& reply) override
    {
        calls.append(u"mci "_s + command);
        reply = u"reply to "_s + command;
        return 11;
    }
    bool mciGetErrorString(uint32_t error, QString& text) override
    {
        calls.append(u"error %1"_s.arg(error));
        text = u"text %1"_s.arg(error);
        return error == 263;
    }
    uint32_t waveOutGetVolume(int device, uint32_t& volume) override
    {
        calls.append(u"waveOutGetVolume %1"_s.arg(device));
        volume = 0x12345678;
        return 0;
    }
    uint32_t waveOutSetVolume(int device, uint32_t volume) override
    {
        calls.append(u"waveOutSetVolume %1 %2"_s.arg(device).arg(volume, 0, 16));
        return device == 0 ? 0 : MMSYSERR_BADDEVICEID;
    }
    uint32_t auxGetVolume(int device, uint32_t& volume) override
    {
        calls.append(u"auxGetVolume %1"_s.arg(device));
        volume = 0x9ABCDEF0;
        return device == 0 ? 0 : MMSYSERR_BADDEVICEID;
    }
    uint32_t auxSetVolume(int device, uint32_t volume) override
    {
        calls.append(u"auxSetVolume %1 %2"_s.arg(device).arg(volume, 0, 16));
        return 0;
    }
    void beep() override { calls.append(u"beep"_s); }
};

}  // namespace

class TestLinuxSystem : public QObject {
    Q_OBJECT

private:
    RecordingMedia* media_ = nullptr;
    std::unique_ptr<LinuxPlatform> platform_;

    void touch(const QString& path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        auto media = std::make_unique<RecordingMedia>();
        media_ = media.get();
        platform_ = std::make_unique<LinuxPlatform>(std::move(media));
    }

    void multimediaGoesToTheEngine()
    {
        QString reply = u"stale"_s;
        QCOMPARE(platform_->mciSendString(u"status cd mode"_s, reply), 11u);
        QCOMPARE(reply, u"reply to status cd mode"_s);
        QString text;
        QVERIFY(platform_->mciGetErrorString(263, text));
        QCOMPARE(text, u"text 263"_s);
        QVERIFY(!platform_->mciGetErrorString(5, text));
        uint32_t volume = 0;
        QCOMPARE(platform_->waveOutGetVolume(0, volume), 0u);
        QCOMPARE(volume, 0x12345678u);
        QCOMPARE(platform_->waveOutSetVolume(3, 0xFFFF0000u), MMSYSERR_BADDEVICEID);
        QCOMPARE(platform_->auxGetVolume(0, volume), 0u);
        QCOMPARE(volume, 0x9ABCDEF0u);
        QCOMPARE(platform_->auxSetVolume(0, 0x0000FFFFu), 0u);
        platform_->beep();
        QCOMPARE(media_->calls, (QStringList{u"mci status cd mode"_s, u"error 263"_s, u"error 5"_s,
                                             u"waveOutGetVolume 0"_s, u"waveOutSetVolume 3 ffff0000"_s,
                                             u"auxGetVolume 0"_s, u"auxSetVolume 0 ffff"_s, u"beep"_s}));
    }

    void folders()
    {
        QCOMPARE(platform_->moduleFileName(), QCoreApplication::applicationFilePath());
        QVERIFY(QFileInfo(platform_->moduleFileName()).isExecutable());
        QCOMPARE(platform_->systemFolder(), u"/usr/bin"_s);
        QCOMPARE(platform_->windowsFolder(), u"/usr/share"_s);
        QCOMPARE(platform_->homeFolder(), QDir::homePath());
        QVERIFY(!platform_->homeFolder().endsWith(u'/'));
        QCOMPARE(platform_->platformId(), VER_PLATFORM_WIN32_NT);
        QCOMPARE(platform_->platformName(), u"Linux"_s);
    }

    void deviceCaps()
    {
        QWidget window;
        const int depth = QGuiApplication::primaryScreen()->depth();
        QCOMPARE(platform_->getDeviceCaps(&window, BITSPIXEL), window.screen()->depth());
        QCOMPARE(platform_->getDeviceCaps(nullptr, BITSPIXEL), depth);
        QCOMPARE(platform_->getDeviceCaps(&window, PLANES), 1);
        QCOMPARE(platform_->getDeviceCaps(&window, 99), 0);
    }

    void canOpenForReading()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(u"CDPLAYER"_s);
        touch(file);
        QVERIFY(platform_->canOpenForReading(file));
        QVERIFY(!platform_->canOpenForReading(dir.filePath(u"missing"_s)));
        QVERIFY(!platform_->canOpenForReading(dir.path()));  // a folder is no file
        QVERIFY(!platform_->canOpenForReading(QString()));
        if (geteuid() != 0) {  // the superuser reads everything
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
            QVERIFY(!platform_->canOpenForReading(file));
        }
    }

    void nowIsTheClock()
    {
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime now = platform_->now();
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(before <= now && now <= after);
        QCOMPARE(now.timeSpec(), Qt::LocalTime);
    }

    // The drives: whatever real drives this machine has, then the disc images.
    void driveTypes()
    {
        QDir discs(discsFolder());
        QVERIFY(QDir(discsFolder()).removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
        touch(discs.filePath(u"morning.cue"_s));
        touch(discs.filePath(u"morning.bin"_s));
        touch(discs.filePath(u"lonely.cue"_s));

        const std::vector<CdDrive> drives = listCdDrives();
        const int devices = static_cast<int>(drives.size()) - 1;
        const QChar imageLetter(u'D' + devices);
        const QString image = QString(imageLetter) + u':';
        const QString next = QString(QChar(imageLetter.unicode() + 1)) + u':';

        QCOMPARE(platform_->getDriveType(image), DRIVE_CDROM);
        QCOMPARE(platform_->getDriveType(image.toLower()), DRIVE_CDROM);
        QCOMPARE(platform_->getDriveType(image + u'\\'), DRIVE_CDROM);
        QCOMPARE(platform_->cdDevicePath(image), discs.absoluteFilePath(u"morning.cue"_s));
        QCOMPARE(platform_->getDriveType(next), DRIVE_NO_ROOT_DIR);  // the .cue without its .bin
        QCOMPARE(platform_->cdDevicePath(next), QString());
        for (const QString& other : {u"A:"_s, u"C:"_s, u"Z:"_s, QString(), u"D"_s, u"/dev/sr0"_s})
            QCOMPARE(platform_->getDriveType(other), DRIVE_NO_ROOT_DIR);
        for (int i = 0; i < devices; ++i) {
            const QString letter = QString(QChar(u'D' + i)) + u':';
            QCOMPARE(platform_->getDriveType(letter), DRIVE_CDROM);
            QVERIFY(platform_->cdDevicePath(letter).startsWith(u"/dev/"_s));
        }

        // The image is gone at the next look.
        QVERIFY(discs.remove(u"morning.bin"_s));
        QCOMPARE(platform_->getDriveType(image), devices > 0 && image == u"D:"_s ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR);
    }
};

QTEST_MAIN(TestLinuxSystem)
#include "tst_linux_system.moc"
