#pragma once
// A fresh Dawnbell against the fake platform, in one line: `World w; w.start();`. The main window is loaded
// hidden, as the program's composition root does, and start-up runs when the test says so.

#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "tests/fakes/FakePlatform.h"

struct World {
    FakePlatform platform;
    Module1 module{platform};
    frmMain form{module};

    // Runs start-up as the program does.
    void start() { module.Main(); }
    frmMain& main() { return form; }
    Settings& settings() { return module.AppSettings; }
    // Stores a value as a previous run would have left it.
    void stored(const char* sectionKey, const QString& value) { platform.store.insert(QLatin1String(sectionKey), value); }
};
