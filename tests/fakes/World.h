#pragma once
// A fresh Dawnbell against the fake platform, in one line: `World w; w.start();`.

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "tests/fakes/FakePlatform.h"

struct World {
    FakePlatform platform;
    Module1 module{platform};

    // Runs start-up as the program does.
    void start() { module.Main(); }
    frmMain& main() { return *module.MainForm; }
    Settings& settings() { return module.AppSettings; }
    // Stores a value as a previous run would have left it.
    void stored(const char* sectionKey, const QString& value) { platform.store.insert(QLatin1String(sectionKey), value); }
};
