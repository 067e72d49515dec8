#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// What a later start sends: one line, "activate" and, when the desktop gave that start one, a blank and its
// activation token.
constexpr char activateWord[] = "activate";
// A live Dawnbell accepts at once; a little more allows for a busy machine.
constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 1000;
// Longer than any line of the protocol: a peer that sends more without a line break is not Dawnbell.
constexpr qint64 maxLineLength = 1024;

// The token the desktop gave this start so that it may pass the focus on.
QByteArray activationToken()
{
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QByteArray token = qgetenv(name).trimmed();
        if (!token.isEmpty() && token.size() < maxLineLength / 2 && !token.contains('\n'))
            return token;
    }
    return {};
}

// The user's runtime folder: $XDG_RUNTIME_DIR, created (private) when it is named but missing; without the
// variable, the one Qt provides.
QString runtimeFolder()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

}  // namespace

SingleInstance::SingleInstance(const QString& appId, const QString& folder, QObject* parent)
    : QObject(parent), m_activationToken(activationToken())
{
    const QString dir = folder.isEmpty() ? runtimeFolder() : folder;
    if (!dir.isEmpty())
        m_socketPath = QDir(dir).filePath(appId + QStringLiteral(".socket"));
}

SingleInstance::~SingleInstance()
{
    // Closing removes the socket file, so the next start need not find out that nobody answers.
    if (m_server)
        m_server->close();
}

SingleInstance::Claim SingleInstance::claim()
{
    if (m_socketPath.isEmpty()) {
        m_error = QStringLiteral("no runtime folder for the single-instance socket");
        return Claim::Unguarded;
    }

    // Two starts at the same moment must not both find nobody and both listen (the second would remove the
    // first one's socket): the look and the listen happen under a lock. A lock left by a crash is taken over.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.tryLock(connectTimeoutMs + writeTimeoutMs);

    QLocalSocket probe;
    probe.connectToServer(m_socketPath);
    if (probe.waitForConnected(connectTimeoutMs)) {
        QByteArray line = activateWord;
        if (!m_activationToken.isEmpty())
            line += ' ' + m_activationToken;
        probe.write(line + '\n');
        probe.waitForBytesWritten(writeTimeoutMs);
        probe.disconnectFromServer();
        return Claim::AnotherRunning;
    }
    // A refused connection is a socket without a listener (a crash left it); a missing file is a first start.
    // A timeout means that somebody holds the socket but is slow to answer: another Dawnbell, still busy.
    if (probe.error() == QLocalSocket::SocketTimeoutError)
        return Claim::AnotherRunning;

    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        m_error = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return Claim::Unguarded;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Claim::Primary;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* peer = m_server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        // The line may already be there, or arrive later, or with the disconnection.
        auto readLines = [this, peer] {
            while (peer->canReadLine()) {
                const QByteArray line = peer->readLine().trimmed();
                const qsizetype blank = line.indexOf(' ');
                if ((blank < 0 ? line : line.first(blank)) == activateWord)
                    emit activationRequested(blank < 0 ? QString() : QString::fromUtf8(line.mid(blank + 1)));
            }
            if (peer->bytesAvailable() > maxLineLength)
                peer->abort();
        };
        connect(peer, &QLocalSocket::readyRead, this, readLines);
        readLines();
    }
}
