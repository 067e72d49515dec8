#include "platform/media/MediaEngine.h"

#include "platform/cd_drives.h"
#include "platform/media/MciCommand.h"
#include "platform/media/MciDevice.h"
#include "platform/media/MciErrors.h"

#include <QFileInfo>

using namespace media;

namespace {

// The reply buffer of the command-string interface holds 255 characters.
constexpr qsizetype maxReply = 255;

enum class DeviceType { None, CdAudio, WaveAudio, Sequencer, AlarmTone };

DeviceType typeNamed(const QString& name)
{
    if (name.compare(QLatin1String("cdaudio"), Qt::CaseInsensitive) == 0)
        return DeviceType::CdAudio;
    if (name.compare(QLatin1String("waveaudio"), Qt::CaseInsensitive) == 0)
        return DeviceType::WaveAudio;
    if (name.compare(QLatin1String("sequencer"), Qt::CaseInsensitive) == 0)
        return DeviceType::Sequencer;
    if (name.compare(QLatin1String("alarmtone"), Qt::CaseInsensitive) == 0)
        return DeviceType::AlarmTone;
    return DeviceType::None;
}

bool isDriveName(const QString& name)
{
    return name.size() == 2 && name.at(0).isLetter() && name.at(1) == QLatin1Char(':');
}

DeviceType typeOfFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi") || suffix == QLatin1String("rmi") ||
        suffix == QLatin1String("kar"))
        return DeviceType::Sequencer;
    // Everything else is tried as a sound file: libsndfile knows many formats beyond ".wav".
    return DeviceType::WaveAudio;
}

// Takes the trailing "wait" and "notify" that any command may carry; false when other words remain.
bool onlyFlags(mci::WordReader& words, bool* wait = nullptr)
{
    while (!words.atEnd()) {
        if (words.take({"wait"})) {
            if (wait)
                *wait = true;
        } else if (!words.take({"notify"})) {
            return false;
        }
    }
    return true;
}

}  // namespace

MediaEngine::MediaEngine(MediaEngineOptions options)
    : options_(std::move(options)), output_(options_.output)
{
    if (!output_)
        output_ = std::make_shared<SdlOutput>();
    keeper_ = std::thread(&MediaEngine::keepOutput, this);
}

MediaEngine::~MediaEngine()
{
    {
        const std::lock_guard guard(commandMutex_);
        while (!devices_.empty())
            retire(std::move(devices_.extract(devices_.begin()).mapped()));
        // A worker notices between two read attempts that it is to end. One held for longer by a drive that does
        // not answer is left to the end of the process rather than holding it.
        const auto deadline = std::chrono::steady_clock::now() + options_.drivePatience;
        reapRetired();
        while (!retired_.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            reapRetired();
        }
        for (auto& device : retired_) {
            qWarning("Dawnbell: a CD drive did not answer in time; its reader is left to end with the program.");
            (void)device.release();
        }
        retired_.clear();
    }
    {
        const std::lock_guard guard(outputMutex_);
        quit_ = true;
    }
    outputChanged_.notify_all();
    keeper_.join();
    output_->close();
}

uint32_t MediaEngine::mciSendString(const QString& command, QString& reply)
{
    const std::lock_guard guard(commandMutex_);
    reapRetired();
    reply.clear();
    const uint32_t result = execute(command, reply);
    if (result != mci::NoError)
        reply.clear();
    reply.truncate(maxReply);
    return result;
}

bool MediaEngine::mciGetErrorString(uint32_t error, QString& text)
{
    text = mci::errorText(error);
    return !text.isEmpty();
}

uint32_t MediaEngine::execute(const QString& command, QString& reply)
{
    std::vector<mci::Word> words;
    if (const uint32_t error = mci::splitWords(command, words))
        return error;
    if (words.empty() || words[0].quoted)
        return mci::UnknownCommand;
    const QString verb = words[0].text.toLower();
    static const QStringList verbs{QStringLiteral("open"),  QStringLiteral("close"), QStringLiteral("play"),
                                   QStringLiteral("stop"),  QStringLiteral("pause"), QStringLiteral("resume"),
                                   QStringLiteral("seek"),  QStringLiteral("set"),   QStringLiteral("status")};
    if (!verbs.contains(verb))
        return mci::UnknownCommand;
    if (words.size() < 2 || words[1].text.isEmpty())
        return mci::MissingDeviceName;
    const QString name = words[1].text;
    const bool quoted = words[1].quoted;
    mci::WordReader rest(std::move(words), 2);

    if (verb == QLatin1String("open"))
        return open(rest, name, quoted);

    if (verb == QLatin1String("close")) {
        if (!onlyFlags(rest))
            return mci::BadParameter;
        if (!quoted && name.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            while (!devices_.empty())
                retire(std::move(devices_.extract(devices_.begin()).mapped()));
        } else {
            auto closing = devices_.extract(name.toLower());
            if (closing.empty())
                return mci::NotOpen;
            retire(std::move(closing.mapped()));
        }
        // A device whose worker is idle goes now, with its drive, file or sound font; a worker still inside a
        // slow read lets go of them when it notices, and the device goes at a later command.
        reapRetired(std::chrono::milliseconds(20));
        return mci::NoError;
    }

    const auto found = devices_.find(name.toLower());
    if (found == devices_.end())
        return mci::NotOpen;
    MciDevice& device = *found->second;

    if (verb == QLatin1String("status")) {
        if (rest.atEnd())
            return mci::MissingParameter;
        if (const uint32_t error = device.statusItem(rest, reply))
            return error;
        return onlyFlags(rest) ? mci::NoError : mci::BadParameter;
    }
    if (verb == QLatin1String("set"))
        return set(device, rest);
    if (verb == QLatin1String("stop") || verb == QLatin1String("pause") || verb == QLatin1String("resume")) {
        if (!onlyFlags(rest))
            return mci::BadParameter;
        if (verb == QLatin1String("stop"))
            return device.stop();
        return verb == QLatin1String("pause") ? device.pause() : device.resume();
    }
    if (verb == QLatin1String("seek")) {
        if (!rest.take({"to"}))
            return rest.atEnd() ? mci::MissingParameter : mci::BadParameter;
        mci::Word target;
        if (!rest.next(target))
            return mci::MissingParameter;
        if (!onlyFlags(rest))
            return mci::BadParameter;
        if (!target.quoted && target.text.compare(QLatin1String("start"), Qt::CaseInsensitive) == 0)
            return device.seekToStart();
        if (!target.quoted && target.text.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0)
            return device.seekToEnd();
        if (const uint32_t error = device.refresh())
            return error;
        int64_t frame = 0;
        if (const uint32_t error = device.parsePosition(target.text, frame))
            return error;
        return device.seek(frame);
    }

    // play [from <position>] [to <position>] [wait] [notify]
    std::optional<int64_t> from;
    std::optional<int64_t> to;
    bool wait = false;
    while (!rest.atEnd()) {
        const bool isFrom = rest.take({"from"});
        if (isFrom || rest.take({"to"})) {
            mci::Word value;
            if (!rest.next(value))
                return mci::MissingParameter;
            if (const uint32_t error = device.refresh())
                return error;
            int64_t frame = 0;
            if (const uint32_t error = device.parsePosition(value.text, frame))
                return error;
            (isFrom ? from : to) = frame;
        } else if (rest.take({"wait"})) {
            wait = true;
        } else if (!rest.take({"notify"})) {
            return mci::BadParameter;
        }
    }
    return device.play(from, to, wait);
}

uint32_t MediaEngine::open(mci::WordReader& words, const QString& name, bool quoted)
{
    QString alias = name;
    DeviceType type = DeviceType::None;
    while (!words.atEnd()) {
        if (words.take({"shareable"}) || words.take({"wait"}) || words.take({"notify"}))
            continue;
        const bool isType = words.take({"type"});
        if (isType || words.take({"alias"})) {
            mci::Word value;
            if (!words.next(value) || value.text.isEmpty())
                return mci::MissingParameter;
            if (isType) {
                type = typeNamed(value.text);
                if (type == DeviceType::None)
                    return mci::UnknownDeviceType;
            } else {
                alias = value.text;
            }
            continue;
        }
        return mci::BadParameter;
    }
    if (devices_.count(alias.toLower()) > 0)
        return mci::AliasInUse;

    // "open cdaudio" opens the first CD drive; a drive name alone ("D:") is a CD drive too.
    const DeviceType named = quoted ? DeviceType::None : typeNamed(name);
    if (type == DeviceType::None)
        type = named != DeviceType::None ? named : isDriveName(name) ? DeviceType::CdAudio : typeOfFile(name);

    uint32_t error = mci::NoError;
    std::unique_ptr<MciDevice> device;
    if (type == DeviceType::CdAudio) {
        const std::vector<CdDrive> drives = cdDrives();
        const CdDrive* drive = named == DeviceType::CdAudio ? (drives.empty() ? nullptr : &drives.front())
                                                            : findCdDrive(drives, name);
        if (!drive)
            return mci::NoSuchDrive;
        device = openCdAudio(*drive, *this, error, options_.paranoiaForImages, options_.cdTestHooks);
    } else if (type == DeviceType::AlarmTone) {
        device = openAlarmTone(*this);
    } else {
        if (named != DeviceType::None)
            return mci::MissingDeviceName;  // "open waveaudio" names no file
        const QFileInfo file(name);
        if (!file.exists())
            return mci::FileNotFound;
        if (!file.isFile() || !file.isReadable())
            return mci::FileUnreadable;
        device = type == DeviceType::WaveAudio ? openWaveAudio(name, *this, error)
                                               : openSequencer(name, options_.soundFont, *this, error);
    }
    if (!device)
        return error;
    device->setPatience(options_.drivePatience);
    // A drive is opened and its disc looked at on the device's worker; a drive that does not answer in time is
    // left to its worker and the command answers "not ready".
    if (!device->start(options_.drivePatience)) {
        retire(std::move(device));
        return mci::NotReady;
    }
    devices_.emplace(alias.toLower(), std::move(device));
    return mci::NoError;
}

uint32_t MediaEngine::set(MciDevice& device, mci::WordReader& words)
{
    if (words.atEnd())
        return mci::MissingParameter;
    while (!words.atEnd()) {
        if (words.take({"time", "format"})) {
            mci::Word format;
            if (!words.next(format))
                return mci::MissingParameter;
            if (const uint32_t error = device.setTimeFormat(format.text))
                return error;
        } else if (words.take({"seek", "exactly"})) {
            // Seeks always land exactly where they are asked to.
            if (!words.take({"on"}) && !words.take({"off"}))
                return words.atEnd() ? mci::MissingParameter : mci::BadParameter;
        } else if (words.take({"door", "open"}) || words.take({"door", "closed"})) {
            return mci::Unsupported;
        } else if (!words.take({"wait"}) && !words.take({"notify"})) {
            return mci::BadParameter;
        }
    }
    return mci::NoError;
}

uint32_t MediaEngine::waveOutGetVolume(int device, uint32_t& volume)
{
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    volume = mixer_.volume(Bus::Wave);
    return MMSYSERR_NOERROR;
}

uint32_t MediaEngine::waveOutSetVolume(int device, uint32_t volume)
{
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    mixer_.setVolume(Bus::Wave, volume);
    return MMSYSERR_NOERROR;
}

uint32_t MediaEngine::auxGetVolume(int device, uint32_t& volume)
{
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    volume = mixer_.volume(Bus::Aux);
    return MMSYSERR_NOERROR;
}

uint32_t MediaEngine::auxSetVolume(int device, uint32_t volume)
{
    if (device != 0)
        return MMSYSERR_BADDEVICEID;
    mixer_.setVolume(Bus::Aux, volume);
    return MMSYSERR_NOERROR;
}

void MediaEngine::beep()
{
    const std::lock_guard guard(outputMutex_);
    if (!output_->isOpen()) {
        QString error;
        if (!output_->open(mixer_, error)) {
            lastOutputError_ = error;
            return;  // nowhere to sound
        }
    }
    mixer_.beep();
    lastStart_ = std::chrono::steady_clock::now();
    outputChanged_.notify_all();
}

uint32_t MediaEngine::startVoice(Voice& voice)
{
    const std::lock_guard guard(outputMutex_);
    if (!output_->isOpen()) {
        QString error;
        if (!output_->open(mixer_, error)) {
            lastOutputError_ = error;
            return mci::NoAudioOutput;
        }
    }
    output_->lock();
    const bool attached = mixer_.attach(&voice);
    output_->unlock();
    lastStart_ = std::chrono::steady_clock::now();
    outputChanged_.notify_all();
    return attached ? mci::NoError : mci::DeviceFailed;
}

void MediaEngine::endVoice(Voice& voice)
{
    const std::lock_guard guard(outputMutex_);
    output_->lock();
    mixer_.detach(&voice);
    output_->unlock();
}

void MediaEngine::keepOutput()
{
    // Closes the output once everything has been silent for idleClose. While the output is closed this thread
    // sleeps until something starts to sound.
    std::unique_lock lock(outputMutex_);
    bool silent = false;
    std::chrono::steady_clock::time_point silentSince;
    const auto step = std::max(options_.idleClose / 4, std::chrono::milliseconds(5));
    while (!quit_) {
        if (!output_->isOpen() || !output_->closesWhenIdle()) {
            silent = false;
            outputChanged_.wait(lock);
            continue;
        }
        outputChanged_.wait_for(lock, step);
        if (quit_ || !output_->isOpen())
            continue;
        const auto now = std::chrono::steady_clock::now();
        if (!mixer_.silent()) {
            silent = false;
            continue;
        }
        if (!silent || silentSince < lastStart_) {
            silent = true;
            silentSince = std::max(now, lastStart_);
        }
        if (now - silentSince >= options_.idleClose) {
            output_->close();
            silent = false;
        }
    }
}

void MediaEngine::retire(std::unique_ptr<MciDevice> device)
{
    device->retire();
    retired_.push_back(std::move(device));
}

void MediaEngine::reapRetired(std::chrono::milliseconds patience)
{
    std::erase_if(retired_, [patience](const std::unique_ptr<MciDevice>& device) { return device->finished(patience); });
}

std::vector<CdDrive> MediaEngine::cdDrives()
{
    if (options_.cdDrives)
        return options_.cdDrives();
    if (!ownDrives_) {
        ownDrives_ = std::make_unique<CdDriveTable>();
        QString error;
        if (!ownDrives_->rescan(error))
            qWarning("Dawnbell: %s", qUtf8Printable(error));
    }
    return ownDrives_->drives();
}

std::unique_ptr<Multimedia> makeMediaEngine(CdDriveList drives)
{
    MediaEngineOptions options;
    options.cdDrives = std::move(drives);
    return std::make_unique<MediaEngine>(std::move(options));
}

int64_t MediaEngine::firstSoundNs(const QString& alias)
{
    const std::lock_guard guard(commandMutex_);
    const auto found = devices_.find(alias.toLower());
    if (found == devices_.end() || !found->second->voice())
        return 0;
    return found->second->voice()->firstMixNs.load(std::memory_order_relaxed);
}

bool MediaEngine::outputOpen()
{
    const std::lock_guard guard(outputMutex_);
    return output_->isOpen();
}

QString MediaEngine::lastOutputError()
{
    const std::lock_guard guard(outputMutex_);
    return lastOutputError_;
}
