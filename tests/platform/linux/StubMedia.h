#pragma once
// A media engine that has no devices: enough for tests of the other platform services.

#include "platform/Platform.h"

class StubMedia final : public Multimedia {
public:
    uint32_t mciSendString(const QString&, QString& reply) override
    {
        reply.clear();
        return 263;
    }
    bool mciGetErrorString(uint32_t, QString& text) override
    {
        text.clear();
        return false;
    }
    uint32_t waveOutGetVolume(int, uint32_t&) override { return MMSYSERR_BADDEVICEID; }
    uint32_t waveOutSetVolume(int, uint32_t) override { return MMSYSERR_BADDEVICEID; }
    uint32_t auxGetVolume(int, uint32_t&) override { return MMSYSERR_BADDEVICEID; }
    uint32_t auxSetVolume(int, uint32_t) override { return MMSYSERR_BADDEVICEID; }
    void beep() override {}
};
