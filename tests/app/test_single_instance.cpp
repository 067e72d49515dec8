// One Dawnbell at a time: the first start listens, a later one wakes it and learns to end; neither a socket that a
// crash left behind nor a missing runtime folder keeps Dawnbell from starting.

#include "app/SingleInstance.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString appId = "org.dawnbell.Test";

// What a crash leaves: a socket file that nobody listens on.
bool leaveStaleSocket(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound && QFileInfo::exists(path);
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    // The first start takes the place of the socket a crash left; later starts wake it.
    void laterStartWakesTheFirst()
    {
        QTemporaryDir folder;
        SingleInstance first(appId, folder.path());
        QVERIFY(leaveStaleSocket(first.socketPath()));
        QCOMPARE(first.claim(), SingleInstance::Claim::Primary);
        QSignalSpy activations(&first, &SingleInstance::activationRequested);

        // The desktop's activation token travels along, so the first may take the focus in the later's name.
        qunsetenv("DESKTOP_STARTUP_ID");
        for (const QString token : {"", "gnome-shell/Dawnbell/2-3-host_TIME42"}) {
            qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
            SingleInstance later(appId, folder.path());
            qunsetenv("XDG_ACTIVATION_TOKEN");  // as Qt's start would
            QCOMPARE(later.claim(), SingleInstance::Claim::AnotherRunning);
            QVERIFY(activations.wait(5000));
            QCOMPARE(activations.takeFirst().value(0).toString(), token);
        }
    }

    void runtimeFolderIsCreatedWhenMissing()
    {
        QTemporaryDir root;
        const QString runtime = root.filePath("run");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        SingleInstance instance(appId);
        QCOMPARE(QFileInfo(instance.socketPath()).path(), runtime);
        QCOMPARE(instance.claim(), SingleInstance::Claim::Primary);
        QCOMPARE(QFileInfo(runtime).permissions() & 0x0077, QFile::Permissions());
    }

    void unusableFolderLeavesDawnbellUnguarded()
    {
        QTemporaryDir root;
        const QString notAFolder = root.filePath("file");
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        SingleInstance instance(appId, notAFolder);
        QCOMPARE(instance.claim(), SingleInstance::Claim::Unguarded);
        QVERIFY(!instance.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
