// The drive table seen through getDriveType, files that can or cannot be read, and the hand-over of every
// multimedia call to the media engine.

#include "platform/cd_drives.h"
#include "platform/linux/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Records each call; every call answers with a value of its own, so that crossed wires show.
class RecordingMedia final : public Multimedia {
public:
    QStringList calls;
    uint32_t mciSendString(const QString& command, QString& reply) override
    {
        calls.append(u"mci "_s + command);
        reply = u"reply"_s;
        return 11;
    }
    bool mciGetErrorString(uint32_t error, QString& text) override
    {
        calls.append(u"error %1"_s.arg(error));
        text = u"text"_s;
        return true;
    }
    uint32_t waveOutGetVolume(int device, uint32_t& volume) override { volume = 1; return record(u"waveGet"_s, device, 1); }
    uint32_t waveOutSetVolume(int device, uint32_t volume) override { return record(u"waveSet"_s, device, volume); }
    uint32_t auxGetVolume(int device, uint32_t& volume) override { volume = 2; return record(u"auxGet"_s, device, 2); }
    uint32_t auxSetVolume(int device, uint32_t volume) override { return record(u"auxSet"_s, device, volume); }
    void beep() override { calls.append(u"beep"_s); }

private:
    uint32_t record(const QString& name, int device, uint32_t volume)
    {
        calls.append(u"%1 %2 %3"_s.arg(name).arg(device).arg(volume, 0, 16));
        return static_cast<uint32_t>(calls.size());
    }
};

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

}  // namespace

class TestLinuxSystem : public QObject {
    Q_OBJECT

private slots:
    void multimediaGoesToTheEngine()
    {
        auto media = std::make_unique<RecordingMedia>();
        RecordingMedia* calls = media.get();
        LinuxPlatform platform(std::move(media));
        QString reply = u"stale"_s;
        QCOMPARE(platform.mciSendString(u"status cd mode"_s, reply), 11u);
        QCOMPARE(reply, u"reply"_s);
        QString text;
        QVERIFY(platform.mciGetErrorString(263, text));
        QCOMPARE(text, u"text"_s);
        uint32_t volume = 0;
        QCOMPARE(platform.waveOutGetVolume(0, volume), 3u);
        QCOMPARE(volume, 1u);
        QCOMPARE(platform.waveOutSetVolume(1, 0xFFFF0000u), 4u);
        QCOMPARE(platform.auxGetVolume(2, volume), 5u);
        QCOMPARE(volume, 2u);
        QCOMPARE(platform.auxSetVolume(3, 0x0000FFFFu), 6u);
        platform.beep();
        QCOMPARE(calls->calls, (QStringList{u"mci status cd mode"_s, u"error 263"_s, u"waveGet 0 1"_s,
                                            u"waveSet 1 ffff0000"_s, u"auxGet 2 2"_s, u"auxSet 3 ffff"_s, u"beep"_s}));
    }

    void canOpenForReading()
    {
        LinuxPlatform platform(std::make_unique<RecordingMedia>());
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(u"CDPLAYER"_s);
        touch(file);
        QVERIFY(platform.canOpenForReading(file));
        QVERIFY(!platform.canOpenForReading(dir.filePath(u"missing"_s)));
        QVERIFY(!platform.canOpenForReading(dir.path()));  // a folder is no file
        QVERIFY(!platform.canOpenForReading(QString()));
        if (geteuid() != 0) {  // the superuser reads everything
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
            QVERIFY(!platform.canOpenForReading(file));
        }
    }

    // Each question looks at the drives afresh: a disc image is there, then gone.
    void driveTypes()
    {
        LinuxPlatform platform(std::make_unique<RecordingMedia>());
        QDir discs(discsFolder());
        QVERIFY(discs.removeRecursively());
        QVERIFY(QDir().mkpath(discsFolder()));
        touch(discs.filePath(u"morning.cue"_s));
        touch(discs.filePath(u"morning.bin"_s));
        const QString image = listCdDrives().back().name;

        QCOMPARE(platform.getDriveType(image.toLower() + u'\\'), DRIVE_CDROM);
        QCOMPARE(platform.cdDevicePath(image), discs.absoluteFilePath(u"morning.cue"_s));
        for (const QString& other : {u"C:"_s, QString(), u"/dev/sr0"_s})
            QCOMPARE(platform.getDriveType(other), DRIVE_NO_ROOT_DIR);

        QVERIFY(discs.remove(u"morning.bin"_s));
        QCOMPARE(platform.getDriveType(image), DRIVE_NO_ROOT_DIR);
        QCOMPARE(platform.cdDevicePath(image), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "tst_linux_system.moc"
