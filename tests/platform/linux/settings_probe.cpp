// Commits one setting through the real store and prints the outcome: "ok", or "failed: <reason>".
// The settings test runs it as another user, or under a file size limit, to meet a save that cannot be written.

#include "platform/linux/LinuxSettings.h"

#include <cstdio>

int main(int argc, char** argv)
{
    LinuxSettings store(LinuxSettings::standardFile());
    store.stage(QStringLiteral("Settings"), QStringLiteral("Probe"), QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    QString error;
    const bool ok = store.commit(error);
    std::puts(ok ? "ok" : qPrintable(QStringLiteral("failed: ") + error));
    return ok ? 0 : 1;
}
