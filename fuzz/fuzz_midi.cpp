// libFuzzer target of the MIDI file reader: any bytes are read as a standard MIDI file (or its RIFF wrapping)
// without a crash, and a file it accepts keeps the reader's promises: it lasts no longer than a day, and the
// tempo map turns times into ticks and back in order (a later time never falls on an earlier tick, and a tick
// found for a time starts no later than that time).

#include "platform/media/MidiFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    media::MidiFile midi;
    if (!midi.read(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    const int64_t length = midi.lengthUs();
    if (length < 0 || length > media::MidiFile::maxLengthUs)
        std::abort();
    int64_t lastTick = 0;
    for (const int64_t us : {int64_t(0), length / 7, length / 3, length / 2, length - 1, length}) {
        if (us < 0)
            continue;
        const int64_t tick = midi.tickAtUs(us);
        if (tick < lastTick || midi.usAtTick(tick) > us)
            std::abort();
        lastTick = tick;
    }
    return 0;
}
