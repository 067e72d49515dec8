// Commits one setting through the real store and prints the outcome: "ok", or "failed: <reason>".
// The settings test runs it as another user to meet a folder that user cannot write.

#include "platform/linux/LinuxPlatform.h"
#include "tests/platform/linux/StubMedia.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    LinuxPlatform platform(std::make_unique<StubMedia>());
    platform.saveSetting(QStringLiteral("Settings"), QStringLiteral("Probe"), args.value(1));
    QString error;
    const bool ok = platform.commitSettings(error);
    QTextStream(stdout) << (ok ? QStringLiteral("ok") : QStringLiteral("failed: ") + error) << Qt::endl;
    return ok ? 0 : 1;
}
