#include "tests/fakes/FakePlatform.h"

#include <QDialog>

namespace {
QString Hex(uint32_t value) { return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0')); }
}

FakePlatform::FakePlatform()
{
    waveVolumes.fill(0xFFFFFFFF);
    auxVolumes.fill(0xFFFFFFFF);
}

void FakePlatform::answer(const QString& pattern, uint32_t code, const QString& reply)
{
    rules_.push_back({QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                         QRegularExpression::CaseInsensitiveOption),
                      code, reply});
}

void FakePlatform::insertDisc(int tracks)
{
    answer(QStringLiteral("(open|set|seek|play|status) cd.*|open \\S* .*alias cd"), 0);
    answer(QStringLiteral("status cd number of tracks"), 0, QString::number(tracks));
}

void FakePlatform::removeDisc()
{
    answer(QStringLiteral("(set|seek|play|status) cd.*|open \\S* .*alias cd"), NoDiscError);
}

QStringList FakePlatform::mciCommands() const { return commandsMatching(QStringLiteral("^(?!waveOut|aux)")); }

QStringList FakePlatform::commandsMatching(const QString& pattern) const
{
    const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);
    QStringList matching;
    for (const QString& entry : log) {
        if (expression.match(entry).hasMatch())
            matching << entry;
    }
    return matching;
}

uint32_t FakePlatform::mciSendString(const QString& command, QString& reply)
{
    log.push_back(command);
    reply.clear();
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
        if (rule->pattern.match(command).hasMatch()) {
            if (rule->code == 0)
                reply = rule->reply;
            return rule->code;
        }
    }
    return 0;
}

bool FakePlatform::mciGetErrorString(uint32_t error, QString& text)
{
    switch (error) {
    case NoDiscError: text = QStringLiteral("The drive holds no disc."); return true;
    case NotOpenError: text = QStringLiteral("No device is open under that alias."); return true;
    default: text = QStringLiteral("Error %1.").arg(error); return true;
    }
}

uint32_t FakePlatform::volumeCall(const char* name, std::array<uint32_t, 11>& levels, int device, uint32_t* get,
                                  uint32_t set)
{
    log.push_back(QLatin1String(name) + QStringLiteral("(%1").arg(device) +
                  (get ? QStringLiteral(")") : QStringLiteral(", %1)").arg(Hex(set))));
    if (device < 0 || device >= volumeDevices)
        return MMSYSERR_BADDEVICEID;
    uint32_t& level = levels[static_cast<size_t>(device)];
    if (get != nullptr)
        *get = level;
    else
        level = set;
    return MMSYSERR_NOERROR;
}

uint32_t FakePlatform::waveOutGetVolume(int device, uint32_t& volume)
{
    return volumeCall("waveOutGetVolume", waveVolumes, device, &volume, 0);
}
uint32_t FakePlatform::waveOutSetVolume(int device, uint32_t volume)
{
    return volumeCall("waveOutSetVolume", waveVolumes, device, nullptr, volume);
}
uint32_t FakePlatform::auxGetVolume(int device, uint32_t& volume)
{
    return volumeCall("auxGetVolume", auxVolumes, device, &volume, 0);
}
uint32_t FakePlatform::auxSetVolume(int device, uint32_t volume)
{
    return volumeCall("auxSetVolume", auxVolumes, device, nullptr, volume);
}

int FakePlatform::getDriveType(const QString& root)
{
    return cdDrives.contains(root.toUpper()) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}

QString FakePlatform::cdDevicePath(const QString& root)
{
    const qsizetype index = cdDrives.indexOf(root.toUpper());
    return index < 0 ? QString() : QStringLiteral("/dev/sr%1").arg(index);
}

QString FakePlatform::getSetting(const QString& section, const QString& key, const QString& fallback)
{
    return store.value(section + QLatin1Char('/') + key, fallback);
}

void FakePlatform::saveSetting(const QString& section, const QString& key, const QString& value)
{
    saved.emplace_back(section + QLatin1Char('/') + key, value);
}

bool FakePlatform::commitSettings(QString& error)
{
    ++commits;
    events << QStringLiteral("commit");
    if (commitFails) {
        saved.clear();
        error = QStringLiteral("The folder /home/sleeper/.config/Dawnbell is read-only.");
        return false;
    }
    for (const auto& [key, value] : saved)
        store.insert(key, value);
    return true;
}

int32_t FakePlatform::shellOpen(const QString& path, const QString& directory)
{
    shellOpened << path;
    shellDirectories << directory;
    return shellOpenResult;
}

bool FakePlatform::runProgram(const QString& program, const QStringList& arguments)
{
    programsRun << (QStringList{program} + arguments).join(QLatin1Char(' '));
    return true;
}

QString FakePlatform::getOpenFileName(QWidget*, const QString& title, const QStringList& filters, int filterIndex,
                                      const QString& initialDir)
{
    fileRequests.push_back({title, filters, filterIndex, initialDir});
    if (fileAnswers.empty())
        return {};
    QString chosen = fileAnswers.front();
    fileAnswers.pop_front();
    return chosen;
}

int FakePlatform::messageBox(const QString& text, int style, const QString& title)
{
    boxes.push_back({text, style, title});
    if (!boxAnswers.empty()) {
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    return (style & 0xF) == 4 ? 7 : 1;
}

int FakePlatform::showModal(QDialog& form)
{
    ++modalForms;
    if (onModal)
        return onModal(form);
    return form.result();
}

bool FakePlatform::shellNotifyIcon(int message, const NotifyIconData& data)
{
    // An icon is added once; only an icon that is there can be modified or deleted.
    const bool known = message == NIM_ADD || message == NIM_MODIFY || message == NIM_DELETE;
    if (!trayAvailable || !known || iconShown != (message != NIM_ADD))
        return false;
    if (message != NIM_DELETE)
        iconTip = data.szTip;
    iconShown = message != NIM_DELETE;
    return true;
}

int FakePlatform::getDeviceCaps(QWidget*, int index)
{
    return index == BITSPIXEL ? bitsPerPixel : index == PLANES ? 1 : 0;
}

int FakePlatform::showNotification(const QString& title, const QString& text,
                                   const std::vector<NotificationAction>& actions, NotificationUrgency urgency,
                                   int replaces)
{
    const int id = replaces > 0 ? replaces : ++lastNotification_;
    Notification& shown = notifications[id];
    shown = {title, text, {}, urgency};
    for (const NotificationAction& action : actions)
        shown.actions << action.label;
    events << QStringLiteral("show %1 %2").arg(id).arg(title);
    return id;
}

void FakePlatform::withdrawNotification(int id)
{
    notifications.erase(id);
    events << QStringLiteral("withdraw %1").arg(id);
}

void FakePlatform::takeSleepDelay()
{
    sleepDelayHeld = true;
    events << QStringLiteral("take delay");
}

void FakePlatform::releaseSleepDelay()
{
    sleepDelayHeld = false;
    events << QStringLiteral("release delay");
}

void FakePlatform::pressNotificationButton(int id, const QString& key)
{
    if (notificationCallback)
        notificationCallback(id, key);
}

void FakePlatform::sleepUntil(const QDateTime& wakeAt)
{
    if (sleepCallback)
        sleepCallback(true);
    clock = wakeAt;
    if (sleepCallback)
        sleepCallback(false);
}
