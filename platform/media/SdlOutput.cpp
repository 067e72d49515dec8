#include "platform/media/AudioOutput.h"

#include <SDL.h>

#include <cstring>

namespace media {

SdlOutput::SdlOutput()
{
    // SDL must leave SIGINT and SIGTERM to the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

SdlOutput::~SdlOutput()
{
    close();
}

bool SdlOutput::open(AudioRenderer& renderer, QString& error)
{
    if (device_ != 0)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = QString::fromUtf8(SDL_GetError());
        return false;
    }
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof want);
    want.freq = outputRate;
    want.format = AUDIO_S16SYS;
    want.channels = outputChannels;
    want.samples = 1024;
    want.callback = &SdlOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have;
    renderer_ = &renderer;
    // SDL converts to whatever the device wants; the callback always sees 44100 Hz stereo 16-bit.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        error = QString::fromUtf8(SDL_GetError());
        renderer_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    // SDL's disk driver records what a listener would hear, at whatever speed the machine allows.
    clock_ = (driver && std::strcmp(driver, "disk") == 0) ? OutputClock::Paced : OutputClock::RealTime;
    device_ = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void SdlOutput::close()
{
    if (device_ == 0)
        return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    renderer_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::lock()
{
    if (device_ != 0)
        SDL_LockAudioDevice(device_);
}

void SdlOutput::unlock()
{
    if (device_ != 0)
        SDL_UnlockAudioDevice(device_);
}

void SdlOutput::callback(void* self, uint8_t* stream, int bytes)
{
    auto* output = static_cast<SdlOutput*>(self);
    output->renderer_->render(reinterpret_cast<int16_t*>(stream), bytes / int(sizeof(int16_t) * outputChannels),
                              output->clock_);
}

}  // namespace media
