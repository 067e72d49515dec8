// Playlist file benchmark. Prints how long opening a playlist file takes: the reading and checking of the
// largest valid file (1 MiB of 32767 lines, the most a playlist holds), the same file opened in the playlist
// editor with its list filled, and how soon files that are no playlist are refused (10 MB of random bytes, 1 MiB
// of random digits and line ends).
//
//   bench_playlist [--runs N]

#include "core/PlaylistRules.h"
#include "editors/PlaylistFile.h"
#include "editors/frmPlaylist.h"
#include "tests/fakes/World.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The median time of `runs` calls of `step`, in milliseconds.
double MedianMs(int runs, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const int runs = std::max(1, args.value(args.indexOf(QStringLiteral("--runs")) + 1, QStringLiteral("9")).toInt());

    QTemporaryDir dir;
    const QByteArray line = "7" + QByteArray(29, ' ') + "\r\n";
    const QByteArray largest =
        line.repeated(PlaylistMaxEntries - 1) +
        "7" + QByteArray(int(PlaylistFileMaxBytes - line.size() * (PlaylistMaxEntries - 1) - 3), ' ') + "\r\n";
    QRandomGenerator random(7);
    QByteArray noise(10'000'000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random.generate());
    QByteArray digits(PlaylistFileMaxBytes, '\0');
    for (char& c : digits)
        c = "0123456789\r\n"[random.bounded(12)];
    const QString largestPath = dir.filePath(QStringLiteral("largest.dbp"));
    const QString noisePath = dir.filePath(QStringLiteral("noise.dbp"));
    const QString digitsPath = dir.filePath(QStringLiteral("digits.dbp"));
    if (!WriteFile(largestPath, largest) || !WriteFile(noisePath, noise) || !WriteFile(digitsPath, digits)) {
        std::fprintf(stderr, "could not write the files in %s\n", qPrintable(dir.path()));
        return 1;
    }

    const auto readAndCheck = [](const QString& path, bool expectValid) {
        const PlaylistFileRead file = ReadPlaylistFileBytes(path, PlaylistFileMaxBytes);
        const bool valid = file.result == PlaylistFileRead::Read && ReadPlaylistFile(file.bytes).has_value();
        if (valid != expectValid)
            std::fprintf(stderr, "%s: unexpected result\n", qPrintable(path));
    };
    std::printf("largest valid playlist (%lld bytes, %d lines), read and checked: %.2f ms\n",
                static_cast<long long>(largest.size()), PlaylistMaxEntries,
                MedianMs(runs, [&] { readAndCheck(largestPath, true); }));

    World w;
    w.platform.cdDrives = {QStringLiteral("E:")};
    w.platform.insertDisc(12);
    w.stored("Settings/Dialog1", QStringLiteral("0"));
    w.start();
    frmPlaylist editor(w.module, &w.main());
    const double opened = MedianMs(runs, [&] {
        w.platform.fileAnswers = {largestPath};
        editor.cmdOpen->click();
    });
    std::printf("largest valid playlist opened in the editor (%d items listed): %.2f ms\n", editor.lstSelected->count(),
                opened);
    std::printf("10 MB of random bytes refused: %.3f ms\n", MedianMs(runs, [&] { readAndCheck(noisePath, false); }));
    std::printf("1 MiB of random digits and line ends refused: %.3f ms\n",
                MedianMs(runs, [&] { readAndCheck(digitsPath, false); }));
    return 0;
}
