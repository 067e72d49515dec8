#include "platform/linux/ExitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a file descriptor: the handler writes the signal's number into one end
// of a socket pair, and the interface thread reads it from the other. The pair belongs to the one ExitSignals.
int Pipe[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int number)
{
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(Pipe[0], &byte, 1);
}

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent)
{
    Q_ASSERT(Pipe[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Pipe) != 0) {
        qWarning("Dawnbell cannot watch for the signals that end it; it will end without saving on them.");
        Pipe[0] = Pipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(Pipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(Pipe[1], &byte, 1) == 1)
            emit received(byte);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : Handled)
        ::sigaction(number, &action, nullptr);
}

ExitSignals::~ExitSignals()
{
    for (int number : Handled)
        std::signal(number, SIG_DFL);
    delete notifier_;
    for (int& fd : Pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
