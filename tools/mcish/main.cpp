// mcish — a shell for the media engine's command strings.
//
// Reads one command a line from standard input and prints one line for each: the return code, a blank, then
// the reply (on success) or the error text in brackets (on failure). Besides command strings it knows:
//   wavevol N [V]   set (or, without V, read) the volume of wave-output device N; V decimal or 0x-hex
//   auxvol N [V]    the same for auxiliary (CD audio) device N
//   beep            the platform's beep
//   sleep MS        wait MS milliseconds
//   # ...           a comment; blank lines and comments print nothing
// Options: --soundfont PATH (the General MIDI sound font), --echo (print each command before its result).

#include "platform/media/MediaEngine.h"

#include <QCoreApplication>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

bool readNumber(const QString& text, uint32_t& value)
{
    bool ok = false;
    const qulonglong v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toULongLong(&ok, 16)
                                                                                     : text.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFULL)
        return false;
    value = uint32_t(v);
    return true;
}

void print(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString volumeResult(uint32_t code, const QString& reply = {})
{
    if (code == MMSYSERR_NOERROR)
        return reply.isEmpty() ? QStringLiteral("0") : QStringLiteral("0 ") + reply;
    return QString::number(code) + QStringLiteral(" [bad device id]");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    MediaEngineOptions options;
    bool echo = false;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--soundfont") && i + 1 < args.size()) {
            options.soundFont = args[++i];
        } else if (args[i] == QLatin1String("--echo")) {
            echo = true;
        } else {
            std::fprintf(stderr, "usage: mcish [--soundfont PATH] [--echo] < commands\n");
            return 2;
        }
    }

    MediaEngine engine(std::move(options));
    std::string raw;
    while (std::getline(std::cin, raw)) {
        const QString line = QString::fromLocal8Bit(raw.c_str()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (echo)
            print(QStringLiteral("> ") + line);
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString first = words.first().toLower();

        if ((first == QLatin1String("wavevol") || first == QLatin1String("auxvol")) && words.size() >= 2 &&
            words.size() <= 3) {
            uint32_t device = 0;
            uint32_t volume = 0;
            if (!readNumber(words[1], device) || (words.size() == 3 && !readNumber(words[2], volume))) {
                print(QStringLiteral("1 [usage: %1 N [V]]").arg(first));
                continue;
            }
            const bool wave = first == QLatin1String("wavevol");
            if (words.size() == 3) {
                print(volumeResult(wave ? engine.waveOutSetVolume(int(device), volume)
                                        : engine.auxSetVolume(int(device), volume)));
            } else {
                const uint32_t code = wave ? engine.waveOutGetVolume(int(device), volume)
                                           : engine.auxGetVolume(int(device), volume);
                print(volumeResult(code, QStringLiteral("0x%1").arg(volume, 8, 16, QLatin1Char('0')).toUpper()
                                             .replace(QLatin1String("0X"), QLatin1String("0x"))));
            }
            continue;
        }
        if (first == QLatin1String("sleep") && words.size() == 2) {
            uint32_t ms = 0;
            if (!readNumber(words[1], ms)) {
                print(QStringLiteral("1 [usage: sleep MS]"));
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            print(QStringLiteral("0"));
            continue;
        }
        if (first == QLatin1String("beep") && words.size() == 1) {
            engine.beep();
            print(QStringLiteral("0"));
            continue;
        }

        QString reply;
        const uint32_t code = engine.mciSendString(line, reply);
        if (code == 0) {
            print(reply.isEmpty() ? QStringLiteral("0") : QStringLiteral("0 ") + reply);
        } else {
            QString text;
            engine.mciGetErrorString(code, text);
            print(QStringLiteral("%1 [%2]").arg(code).arg(text));
        }
    }
    return 0;
}
