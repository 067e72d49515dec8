// libFuzzer target of the settings loader, from the bytes of the settings file to the settings record and back:
// - the store's reading: what it reads, written out in its own format, reads back as the same texts;
// - start-up reads the file through the real store (the rest of the platform is the tests' fake) into the
//   settings record and the main window, and a save writes it back through the store. A second start-up from
//   the saved file saves exactly the same file: whatever a hand-edited file held, one run settles it and no
//   later run changes or loses a setting.

#include "FuzzHome.h"
#include "core/Module1.h"
#include "main_window/frmMain.h"
#include "platform/ini_file.h"
#include "platform/linux/LinuxSettings.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/support/files.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

// The fake platform with the real settings store behind it.
class StorePlatform final : public FakePlatform {
public:
    explicit StorePlatform(const QString& file) : settings_(file) {}
    QString getSetting(const QString& section, const QString& key, const QString& fallback) override
    {
        return settings_.get(section, key, fallback);
    }
    void saveSetting(const QString& section, const QString& key, const QString& value) override
    {
        settings_.stage(section, key, value);
    }
    bool commitSettings(QString& error) override { return settings_.commit(error); }
    QString takeLoadNotice() override { return settings_.takeLoadNotice(); }

private:
    LinuxSettings settings_;
};

// Starts Dawnbell on the settings in `file`, saves, and returns what the file then holds.
QByteArray startAndSave(const QString& file)
{
    StorePlatform platform(file);
    Module1 module(platform);
    frmMain form(module);
    module.Main();
    module.SaveSettings();
    if (!platform.boxes.empty() && platform.boxes.back().text.startsWith(QLatin1String("Dawnbell was unable to save")))
        std::abort();
    return readFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    fuzzHome();
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // The first window sets up the fonts once for the process, which is no leak of an input's.
    startAndSave(fuzzHome() + QStringLiteral("/first.conf"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A folder of its own for every input: QSettings keeps what it read of a file by its name and time.
    QTemporaryDir dir(fuzzHome() + QStringLiteral("/settings-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("Dawnbell.conf"));
    const QString again = dir.filePath(QStringLiteral("again.conf"));
    if (!dir.isValid() || !writeFile(file, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        std::abort();

    const IniSections read = readIniTexts(QSettings(file, QSettings::IniFormat));
    if (!writeFile(again, formatIni(read)) || readIniTexts(QSettings(again, QSettings::IniFormat)) != read)
        std::abort();

    const QByteArray saved = startAndSave(file);
    if (startAndSave(file) != saved)
        std::abort();
    return 0;
}
