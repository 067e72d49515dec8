#pragma once
// A SoundFont 2 of a few kilobytes that FluidSynth loads in no time: General MIDI program 0 only, a looped sine at
// each key's pitch. The MCI fuzz target plays its sequences with it, so that every input does not wait for the
// system's General MIDI font to load.

#include "tests/support/files.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <initializer_list>

inline bool writeTinySoundFont(const QString& path)
{
    // Appends the low `bytes` bytes of `v`, the least significant first.
    const auto put = [](QByteArray& b, uint32_t v, int bytes = 2) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    const auto chunk = [&](const char* id, const QByteArray& body) {
        QByteArray b(id, 4);
        put(b, uint32_t(body.size()), 4);
        return b + body;
    };
    const auto list = [&](const char* type, const QByteArray& body) { return chunk("LIST", type + body); };
    const auto name = [](const char* text) { return QByteArray(text).leftJustified(20, '\0'); };
    const auto words = [&](std::initializer_list<int> values) {
        QByteArray b;
        for (const int v : values)
            put(b, uint32_t(v));
        return b;
    };
    // One period of 440 Hz is 100 samples at 44000 Hz; 46 zero samples must follow a sample.
    QByteArray samples;
    for (int i = 0; i < 100; ++i)
        put(samples, uint16_t(int16_t(std::lrint(0.5 * 32767 * std::sin(2.0 * M_PI * i / 100)))));
    samples.append(QByteArray(46 * 2, '\0'));
    QByteArray sample = name("sine");
    for (const uint32_t v : {0U, 100U, 0U, 100U, 44000U})
        put(sample, v, 4);
    sample += QByteArray("\x45\0", 2) + words({0, 1});  // key 69, no correction, no link, mono
    const QByteArray pdta =
        chunk("phdr", name("sine") + words({0, 0, 0}) + QByteArray(12, '\0') + name("EOP") + words({0, 0, 1}) +
                          QByteArray(12, '\0')) +
        chunk("pbag", words({0, 0, 1, 0})) + chunk("pmod", QByteArray(10, '\0')) +
        chunk("pgen", words({41, 0, 0, 0})) +  // instrument 0
        chunk("inst", name("sine") + words({0}) + name("EOI") + words({1})) + chunk("ibag", words({0, 0, 2, 0})) +
        chunk("imod", QByteArray(10, '\0')) + chunk("igen", words({54, 1, 53, 0, 0, 0})) +  // looped, sample 0
        chunk("shdr", sample + name("EOS") + QByteArray(26, '\0'));
    const QByteArray body = list("INFO", chunk("ifil", words({2, 1})) + chunk("isng", QByteArray("EMU8000\0", 8)) +
                                             chunk("INAM", QByteArray("sine\0\0", 6))) +
                            list("sdta", chunk("smpl", samples)) + list("pdta", pdta);
    return writeFile(path, chunk("RIFF", "sfbk" + body));
}
