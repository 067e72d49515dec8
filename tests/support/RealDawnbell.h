#pragma once
// Dawnbell as app/main.cpp builds it (the Linux platform, the media engine, Module1 and the main window), for the
// tests that drive the real program in a home of their own with SDL's disk driver recording what is heard.

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/media/MediaEngine.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <memory>

// The test's home, where its files and recordings go.
inline QString Home() { return QDir::homePath(); }

struct Dawnbell {
    // Starts with the settings `stored` ("Section/Key" to value; the first-run box is never shown), recorded into
    // `recording`, with the sound font `soundFont` instead of the system's when one is given.
    Dawnbell(const QString& recording, const QMap<QString, QString>& stored, const QString& soundFont = {})
    {
        QFile::remove(recording);
        qputenv("SDL_DISKAUDIOFILE", recording.toUtf8());
        {
            QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Dawnbell"),
                           QStringLiteral("Dawnbell"));
            file.clear();
            file.setValue(QStringLiteral("Settings/Dialog1"), QStringLiteral("0"));
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                file.setValue(it.key(), it.value());
        }
        platform = std::make_unique<LinuxPlatform>([&](CdDriveList drives) {
            MediaEngineOptions options;
            options.cdDrives = std::move(drives);
            if (!soundFont.isEmpty())
                options.soundFont = soundFont;
            auto made = std::make_unique<MediaEngine>(std::move(options));
            engine = made.get();
            return made;
        });
        module = std::make_unique<Module1>(*platform);
        form = std::make_unique<frmMain>(*module);
        module->Main();
    }

    MediaEngine* engine = nullptr;
    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<Module1> module;
    std::unique_ptr<frmMain> form;
};
