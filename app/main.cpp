// Dawnbell: builds the real platform (the Linux desktop services and the media engine), then runs start-up.

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "platform/linux/ExitSignals.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"

#include <QApplication>
#include <QSessionManager>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Dawnbell"));
    QApplication::setApplicationName(QStringLiteral("Dawnbell"));
    QApplication::setApplicationVersion(QStringLiteral(DAWNBELL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("dawnbell"));
    // The window hides behind its notification icon; the program ends only through its own exit.
    QApplication::setQuitOnLastWindowClosed(false);

    LinuxPlatform platform(std::make_unique<MediaEngine>());
    Module1 module(platform);
    frmMain mainForm(module);  // loaded hidden; start-up shows it

    // Asked to end by the system or the desktop session: save as at exit, and end in order.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::received, &mainForm, [&module] { module.ExitOnRequest(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainForm, [&mainForm](QSessionManager& session) {
        if (!mainForm.Session_CommitData(session.allowsInteraction()))
            session.cancel();
    });

    module.Main();
    if (module.ProgramEnded)
        return 0;
    return QApplication::exec();
}
