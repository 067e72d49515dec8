// libFuzzer target of what Dawnbell does with a cue sheet in the discs folder (libcdio reads the sheet itself):
// the first byte of the input is the length of "fuzz.bin" in sectors, the rest is "fuzz.cue". The image is found
// as a drive, opened through the cdaudio device, each of its tracks asked about in both time formats, played
// through, sought and closed. Every command answers 0 or an error the engine has a text for, the track count is
// a number the disc can hold, a whole play ends stopped, and nothing crashes or hangs.

#include "CheckedSend.h"
#include "FuzzHome.h"
#include "platform/cd_drives.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/CaptureOutput.h"

#include <QFile>

#include <cstdlib>

namespace {

constexpr qint64 sectorBytes = 2352;

QString cuePath()
{
    return discsFolder() + QStringLiteral("/fuzz.cue");
}

bool writeImage(const QByteArray& cue, int sectors)
{
    QFile sheet(cuePath());
    QFile bin(discsFolder() + QStringLiteral("/fuzz.bin"));
    // The .bin is silence: what matters is how much of it there is.
    return sheet.open(QIODevice::WriteOnly) && sheet.write(cue) == cue.size() && bin.open(QIODevice::WriteOnly) &&
           bin.resize(sectors * sectorBytes);
}

QString drive;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzHome();
    if (!QDir().mkpath(discsFolder()) || !writeImage("FILE \"fuzz.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", 75))
        std::abort();
    for (const CdDrive& d : listCdDrives()) {
        if (d.isImage && d.source == cuePath())
            drive = d.name;
    }
    if (drive.isEmpty())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || !writeImage(QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1), data[0]))
        return 0;
    MediaEngineOptions options;
    options.output = std::make_shared<CaptureOutput>();
    options.idleClose = std::chrono::milliseconds(10);
    options.drivePatience = std::chrono::milliseconds(2000);
    MediaEngine engine(std::move(options));
    checkedSend(engine, QStringLiteral("open %1 shareable type cdaudio alias cd").arg(drive));
    QString count;
    checkedSend(engine, QStringLiteral("status cd number of tracks"), &count);
    bool isNumber = false;
    const int tracks = count.toInt(&isNumber);
    if (!count.isEmpty() && (!isNumber || tracks < 0 || tracks > 99))
        std::abort();
    for (const char* format : {"tmsf", "milliseconds"}) {
        checkedSend(engine, QStringLiteral("set cd time format %1").arg(QLatin1String(format)));
        checkedSend(engine, QStringLiteral("status cd length"));
        for (int track = 1; track <= tracks + 1; ++track) {
            for (const char* item : {"length", "position", "type"})
                checkedSend(engine, QStringLiteral("status cd %1 track %2").arg(QLatin1String(item)).arg(track));
        }
    }
    checkedSend(engine, QStringLiteral("set cd time format tmsf"));
    QString mode;
    const uint32_t played = checkedSend(engine, QStringLiteral("play cd from 1 wait"));
    checkedSend(engine, QStringLiteral("status cd mode"), &mode);
    if (played == 0 && mode != QLatin1String("stopped"))
        std::abort();
    checkedSend(engine, QStringLiteral("status cd current track"));
    checkedSend(engine, QStringLiteral("status cd position"));
    checkedSend(engine, QStringLiteral("seek cd to %1").arg(tracks));
    checkedSend(engine, QStringLiteral("play cd"));
    checkedSend(engine, QStringLiteral("status cd position"));
    checkedSend(engine, QStringLiteral("stop cd"));
    checkedSend(engine, QStringLiteral("seek cd to end"));
    checkedSend(engine, QStringLiteral("close cd"));
    return 0;
}
