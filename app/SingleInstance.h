// One Dawnbell at a time. A second Dawnbell would be a second clock: the alarm would ring twice, and the two
// would overwrite each other's settings on exit. The first Dawnbell of a user listens on a local socket named
// after the application id; a later start finds it there, asks it to bring its window forward, and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        Primary,         // this process is the one Dawnbell and now listens for later starts
        AnotherRunning,  // another Dawnbell runs and was asked to come forward: end this process
        Unguarded,       // the socket could not be set up (see error()): go on, unguarded
    };

    // The socket is "<appId>.socket" in `folder`, by default the user's runtime folder ($XDG_RUNTIME_DIR).
    // Made before the application object, it keeps the desktop's activation token that Qt takes from the
    // environment when it starts.
    explicit SingleInstance(const QString& appId, const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the one Dawnbell, or tells the running one to come forward. A socket that a crashed Dawnbell left
    // behind answers nobody and is replaced. Call once, after the application object exists.
    Claim claim();

    QString socketPath() const { return m_socketPath; }
    // Why the last claim() came out Unguarded.
    QString error() const { return m_error; }

signals:
    // A later start asked this Dawnbell to show its window. `activationToken` is the token the desktop gave that
    // start to pass the focus on (XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID on X11), empty without one.
    void activationRequested(const QString& activationToken);

private:
    void acceptConnections();

    QByteArray m_activationToken;
    QString m_socketPath;
    QString m_error;
    QLocalServer* m_server = nullptr;
};
