#pragma once
// One command to the engine, with the promises every answer keeps: a reply fits the caller's 255 characters, and a
// failure has no reply and an error text. A broken promise aborts, so libFuzzer keeps the input. FUZZ_SHOW prints
// each command with its answer.

#include "platform/media/MediaEngine.h"

#include <cstdlib>

inline uint32_t checkedSend(MediaEngine& engine, const QString& command, QString* answer = nullptr)
{
    QString reply;
    QString text;
    const uint32_t code = engine.mciSendString(command, reply);
    if (qEnvironmentVariableIsSet("FUZZ_SHOW"))
        qInfo("%s -> %u %s", qPrintable(command), code, qPrintable(reply));
    if (reply.size() > 255 || (code != 0 && (!reply.isEmpty() || !engine.mciGetErrorString(code, text))))
        std::abort();
    if (answer)
        *answer = reply;
    return code;
}
