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
    void laterStartWakesTheFirst()
    {
        QTemporaryDir folder;
        SingleInstance first(appId, folder.path());
        QCOMPARE(first.claim(), SingleInstance::Claim::Primary);
        QSignalSpy activations(&first, &SingleInstance::activationRequested);

        for (int start = 1; start <= 2; ++start) {
            SingleInstance later(appId, folder.path());
            QCOMPARE(later.claim(), SingleInstance::Claim::AnotherRunning);
            QVERIFY(activations.wait(5000));
            QCOMPARE(activations.count(), start);
        }
        // Another application id is another program.
        SingleInstance other(appId + "2", folder.path());
        QCOMPARE(other.claim(), SingleInstance::Claim::Primary);
    }

    void socketOfACrashIsReplaced()
    {
        QTemporaryDir folder;
        SingleInstance next(appId, folder.path());
        QVERIFY(leaveStaleSocket(next.socketPath()));
        QCOMPARE(next.claim(), SingleInstance::Claim::Primary);

        QSignalSpy activations(&next, &SingleInstance::activationRequested);
        SingleInstance later(appId, folder.path());
        QCOMPARE(later.claim(), SingleInstance::Claim::AnotherRunning);
        QVERIFY(activations.wait(5000));
    }

    void endedDawnbellFreesTheName()
    {
        QTemporaryDir folder;
        QString socket;
        {
            SingleInstance first(appId, folder.path());
            QCOMPARE(first.claim(), SingleInstance::Claim::Primary);
            socket = first.socketPath();
        }
        QVERIFY(!QFileInfo::exists(socket));
        SingleInstance next(appId, folder.path());
        QCOMPARE(next.claim(), SingleInstance::Claim::Primary);
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
