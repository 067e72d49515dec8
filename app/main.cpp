// Dawnbell: builds the real platform (the Linux desktop services and the media engine) and the main window,
// then runs start-up. One Dawnbell at a time: a second start brings the running one forward and ends.

#include "app/SingleInstance.h"
#include "core/Module1.h"
#include "dawnbell_build.h"
#include "main_window/StartupStyle.h"
#include "main_window/frmMain.h"
#include "platform/linux/ExitSignals.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"

#include <QApplication>
#include <QSessionManager>

#include <memory>

int main(int argc, char* argv[])
{
    // Made before the application object, so that it keeps the desktop's activation token.
    SingleInstance instance(QStringLiteral(DAWNBELL_APP_ID));
    LinuxPlatform::prepareApplication();
    QApplication app(argc, argv);
    QApplication::setStyle(new StartupStyle);
    QApplication::setOrganizationName(QStringLiteral("Dawnbell"));
    QApplication::setApplicationName(QStringLiteral("Dawnbell"));
    QApplication::setApplicationVersion(QStringLiteral(DAWNBELL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(DAWNBELL_APP_ID));
    // The window hides behind its notification icon; the program ends only through its own exit.
    QApplication::setQuitOnLastWindowClosed(false);

    const SingleInstance::Claim claim = instance.claim();
    if (claim == SingleInstance::Claim::AnotherRunning)
        return 0;
    if (claim == SingleInstance::Claim::Unguarded)
        qWarning("Dawnbell: %s; a second Dawnbell could start", qPrintable(instance.error()));

    LinuxPlatform platform(makeMediaEngine);
    Module1 module(platform);
    frmMain mainForm(module);  // loaded hidden; start-up shows it

    // Asked to end by the system or the desktop session: save as at exit, and end in order.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::received, &mainForm, [&module] { module.ExitOnRequest(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mainForm, [&mainForm](QSessionManager& session) {
        if (!mainForm.Session_CommitData(session.allowsInteraction()))
            session.cancel();
    });
    // A second start asks this one to come forward.
    QObject::connect(&instance, &SingleInstance::activationRequested, &mainForm, [&mainForm] {
        mainForm.mnuPopOpen_Click();
        mainForm.raise();
    });

    module.Main();
    if (module.ProgramEnded)
        return 0;
    return QApplication::exec();
}
