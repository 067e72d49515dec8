// libFuzzer target of the command-string interpreter with the engine behind it: every line of the input is one
// command, sent to a fresh engine whose sound goes to a capture output. The working folder holds a short tone
// "a.wav", a short sequence "b.mid", a text "notes.wav" and a sound font of one sine "tiny.sf2" (which loads in
// no time), the discs folder a disc image of an audio track, a data track and an audio track (drive "D:" where
// the machine has no CD drive). Whatever the commands, each is answered with 0 or an error the engine has a
// text for, with a reply of at most 255 characters that is empty on failure, without a crash or a hang, and the
// engine closes everything when it goes.

#include "CheckedSend.h"
#include "FuzzHome.h"
#include "TinySoundFont.h"
#include "platform/cd_drives.h"
#include "platform/media/MediaEngine.h"
#include "tests/support/CaptureOutput.h"
#include "tests/support/audio_fixtures.h"
#include "tests/support/files.h"


#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzHome();
    if (!audiofix::writeToneWav(QStringLiteral("a.wav"), 440, 0.1) ||
        !audiofix::writeMidiFile(QStringLiteral("b.mid"), {{69, 0.0, 0.1}}, 0) ||
        !writeTinySoundFont(QStringLiteral("tiny.sf2")) ||
        !writeFile(QStringLiteral("notes.wav"), "not a sound\n") ||
        audiofix::writeDiscImage(discsFolder(), QStringLiteral("disc"), {{440, 0.2}, {0, 0.1, true}, {660, 0.2}})
            .isEmpty())
        std::abort();
    listCdDrives();  // gives the image its letter
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MediaEngineOptions options;
    options.output = std::make_shared<CaptureOutput>();
    options.idleClose = std::chrono::milliseconds(10);
    options.drivePatience = std::chrono::milliseconds(2000);
    options.soundFont = fuzzHome() + QStringLiteral("/tiny.sf2");
    MediaEngine engine(std::move(options));
    const QStringList commands =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(QLatin1Char('\n'));
    for (const QString& command : commands.mid(0, 32))
        checkedSend(engine, command);
    return 0;
}
