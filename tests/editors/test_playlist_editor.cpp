// The playlist editor against the fake platform: editing the playlist with the lists and buttons, what each mode
// enables, what OK commits, the disc's tracks, and the playlist files opened and saved with every failure
// reported (a missing file, a FIFO, a folder, random bytes, an unwritable place).

#include "core/PlaylistRules.h"
#include "editors/frmPlaylist.h"
#include "tests/fakes/World.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {

// Dawnbell with the CD-ROM drive E: holding a disc of `tracks` tracks (none for 0), `committed` as the committed
// playlist, and the playlist editor loaded.
struct Editor {
    World w;
    std::unique_ptr<frmPlaylist> form;

    explicit Editor(int tracks = 8, const std::vector<int16_t>& committed = {}, int16_t usePlaylist = 0,
                    int16_t startTrack = 1)
    {
        w.platform.cdDrives = {QStringLiteral("E:")};
        if (tracks > 0)
            w.platform.insertDisc(tracks);
        else
            w.platform.removeDisc();
        w.stored("Settings/Dialog1", QStringLiteral("0"));
        w.stored("Alarm/CDStartTrack", QString::number(startTrack));
        w.start();
        w.module.PlaylistTracks = committed;
        w.module.PlaylistCount = static_cast<int16_t>(committed.size());
        w.module.UsePlaylist = usePlaylist;
        form = std::make_unique<frmPlaylist>(w.module, &w.main());
    }

    // The items of a list, joined by "|".
    static QString Items(const QListWidget* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items.join(u'|');
    }
    QString selected() const { return Items(form->lstSelected); }
    void setSelected(const QStringList& items) const
    {
        form->lstSelected->clear();
        form->lstSelected->addItems(items);
    }
    // Selects the rows (from 1) of `list` named in "3,1", and no others.
    static void Select(QListWidget* list, const QString& rows)
    {
        list->clearSelection();
        for (const QString& row : rows.split(u',', Qt::SkipEmptyParts))
            list->item(row.toInt() - 1)->setSelected(true);
    }
    QString boxes() const
    {
        QStringList shown;
        for (const FakePlatform::Box& box : w.platform.boxes)
            shown << QStringLiteral("%1 [%2]: %3").arg(box.title).arg(box.style).arg(box.text);
        return shown.join(u'\n');
    }
};

// "Track 1|Track 2|...|Track n".
QString Tracks(int from, int to)
{
    QStringList items;
    for (int n = from; n <= to; ++n)
        items << PlaylistItemText(QString::number(n));
    return items.join(u'|');
}

const QString Invalid = QStringLiteral("Error loading playlist [48]: The file %1 does not appear to be a valid Dawnbell playlist.");
const QString Modified = QStringLiteral(
    "Modifying playlist [64]: The currently selected CD does not have as many tracks as the playlist specifies.  "
    "The playlist has been modified to work with the current CD.");

}  // namespace

class TestPlaylistEditor : public QObject {
    Q_OBJECT
private slots:
    // Steps: "clear", "reset", "add:3,1" (select rows of the available tracks, then Add), "dbl:2,5" (select
    // rows, the last one with a Ctrl double click), "remove:2,4" (select rows of the playlist, then Remove),
    // "undbl:2" (double-click a row of the playlist).
    void editing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("selected");
        QTest::newRow("clear") << "clear" << "";
        QTest::newRow("add appends in list order") << "clear add:3,1" << "Track 1|Track 3";
        QTest::newRow("a track again, any order") << "clear add:3 add:1 add:3" << "Track 3|Track 1|Track 3";
        QTest::newRow("double click adds the selection with it") << "clear dbl:2,5" << "Track 2|Track 5";
        QTest::newRow("remove keeps the rest in order") << "remove:2,4,5" << "Track 1|Track 3|Track 6|Track 7|Track 8";
        QTest::newRow("double click removes") << "undbl:2" << "Track 1|" + Tracks(3, 8);
        QTest::newRow("reset") << "clear add:4 reset" << Tracks(1, 8);
    }
    void editing()
    {
        QFETCH(QString, steps);
        QFETCH(QString, selected);
        Editor e;
        frmPlaylist& f = *e.form;
        f.optPlayList->click();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const auto doubleClick = [](QListWidget* list, const QString& rows, Qt::KeyboardModifiers modifiers) {
            const QStringList all = rows.split(u',');
            Editor::Select(list, all.mid(0, all.size() - 1).join(u','));
            QListWidgetItem* item = list->item(all.back().toInt() - 1);
            const QPoint at = list->visualItemRect(item).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, at);
        };
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = step.section(u':', 0, 0);
            const QString rows = step.section(u':', 1);
            if (verb == QLatin1String("clear")) {
                f.cmdClear->click();
            } else if (verb == QLatin1String("reset")) {
                f.cmdReset->click();
            } else if (verb == QLatin1String("add")) {
                Editor::Select(f.lstAvailable, rows);
                f.cmdAdd->click();
            } else if (verb == QLatin1String("dbl")) {
                doubleClick(f.lstAvailable, rows, Qt::ControlModifier);
            } else if (verb == QLatin1String("remove")) {
                Editor::Select(f.lstSelected, rows);
                f.cmdRemove->click();
            } else if (verb == QLatin1String("undbl")) {
                doubleClick(f.lstSelected, rows, Qt::NoModifier);
            }
        }
        QCOMPARE(e.selected(), selected);
        QCOMPARE(Editor::Items(f.lstAvailable), Tracks(1, 8));  // adding never takes a track away
    }

    // What each mode enables, at loading (the file buttons stay enabled) and after a click; the committed
    // playlist comes back at loading.
    void modes_data()
    {
        QTest::addColumn<int>("usePlaylist");
        QTest::addColumn<QString>("click");
        QTest::addColumn<QString>("enabled");
        const QString trackControls = QStringLiteral("lblCD1 cmbTrack lblTracks");
        const QString listControls =
            QStringLiteral("Label2 Label3 lstAvailable lstSelected cmdAdd cmdRemove cmdClear cmdReset");
        const QString files = QStringLiteral(" cmdOpen cmdSave");
        QTest::newRow("loaded in start-track mode") << 0 << "" << trackControls + files;
        QTest::newRow("loaded in playlist mode") << 1 << "" << listControls + files;
        QTest::newRow("start-track mode clicked") << 1 << "optNoPlayList" << trackControls;
        QTest::newRow("playlist mode clicked") << 0 << "optPlayList" << listControls + files;
    }
    void modes()
    {
        QFETCH(int, usePlaylist);
        QFETCH(QString, click);
        QFETCH(QString, enabled);
        Editor e(8, {3, 1, 3}, static_cast<int16_t>(usePlaylist));
        if (!click.isEmpty())
            e.form->findChild<QRadioButton*>(click)->click();
        QStringList shown;
        for (const char* name : {"lblCD1", "cmbTrack", "lblTracks", "Label2", "Label3", "lstAvailable", "lstSelected",
                                 "cmdAdd", "cmdRemove", "cmdClear", "cmdReset", "cmdOpen", "cmdSave"}) {
            if (e.form->findChild<QWidget*>(QLatin1String(name))->isEnabled())
                shown << QLatin1String(name);
        }
        QCOMPARE(shown.join(u' '), enabled);
        QCOMPARE(e.form->optPlayList->isChecked(), click.isEmpty() ? usePlaylist == 1 : click == "optPlayList");
        for (const char* name : {"lblCD2", "lblCD3", "cmbDrive", "cmdRescan", "cmdOK"})
            QVERIFY(e.form->findChild<QWidget*>(QLatin1String(name))->isEnabled());
        QCOMPARE(e.selected(), "Track 3|Track 1|Track 3");
    }

    // OK (or Esc) commits: a playlist in playlist mode, only the mode in start-track mode; an empty playlist is
    // refused. An earlier playlist 5, 6 is committed.
    void commit_data()
    {
        QTest::addColumn<bool>("playlistMode");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("usePlaylist");
        QTest::addColumn<QString>("tracks");
        QTest::addColumn<QString>("box");
        const QStringList list{"Track 3", "Track 1", "Track 3"};
        QTest::newRow("a playlist") << true << list << false << 1 << "3 1 3" << "";
        QTest::newRow("Esc commits like OK") << true << list << true << 1 << "3 1 3" << "";
        QTest::newRow("numbers read from files") << true << QStringList{"Track 3.5", "Track  7", "Track 2.5"} << false
                                                  << 1 << "4 7 2" << "";
        QTest::newRow("an empty playlist is refused")
            << true << QStringList{} << false << 0 << "5 6"
            << "Dawnbell [0]: Your playlist is empty.  Please add some tracks to your playlist.";
        QTest::newRow("start-track mode keeps the playlist") << false << list << false << 0 << "5 6" << "";
    }
    void commit()
    {
        QFETCH(bool, playlistMode);
        QFETCH(QStringList, items);
        QFETCH(bool, escape);
        QFETCH(int, usePlaylist);
        QFETCH(QString, tracks);
        QFETCH(QString, box);
        Editor e(8, {5, 6}, 0);
        (playlistMode ? e.form->optPlayList : e.form->optNoPlayList)->click();
        e.setSelected(items);
        e.form->open();
        if (escape)
            QTest::keyClick(e.form.get(), Qt::Key_Escape);
        else
            e.form->cmdOK->click();
        QStringList committed;
        for (int i = 0; i < e.w.module.PlaylistCount; ++i)
            committed << QString::number(e.w.module.PlaylistTracks.at(static_cast<size_t>(i)));
        QCOMPARE(e.w.module.UsePlaylist, usePlaylist);
        QCOMPARE(committed.join(u' '), tracks);
        QCOMPARE(e.boxes(), box);
        QCOMPARE(e.form->isVisible(), !box.isEmpty());  // a refused playlist keeps the editor open
    }

    void disc_data()
    {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("available");
        QTest::addColumn<QString>("shownTrack");
        QTest::newRow("no disc: 25 tracks offered") << 0 << 5 << "No CD." << Tracks(1, 25) << "1";
        QTest::newRow("a start track beyond the disc") << 3 << 5 << "3" << Tracks(1, 3) << "1";
    }
    void disc()
    {
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        QFETCH(QString, count);
        QFETCH(QString, available);
        QFETCH(QString, shownTrack);
        Editor e(tracks, {}, 0, static_cast<int16_t>(startTrack));
        QCOMPARE(e.form->lblTracks->text(), count);
        QCOMPARE(Editor::Items(e.form->lstAvailable), available);
        QCOMPARE(e.selected(), available);  // an empty playlist is proposed the whole disc
        QCOMPARE(e.form->cmbTrack->count(), e.form->lstAvailable->count());
        QCOMPARE(e.form->cmbTrack->currentText(), shownTrack);
    }

    // A file opened into a playlist "Track 5"; `kind` is "file" (the bytes given), "missing", "fifo", "folder",
    // "under a file" (a path through a file) or "cancel" (the chooser cancelled).
    void opening_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("box");  // %1 is the file's path
        const QString kept = QStringLiteral("Track 5");
        const auto file = [](const char* name, const QByteArray& bytes, int tracks, const QString& loaded,
                             const QString& box = {}) {
            QTest::newRow(name) << "file" << bytes << tracks << loaded << box;
        };
        file("a saved playlist", "3\r\n12\r\n3\r\n", 12, "Track 3|Track 12|Track 3");
        file("a blank before a number", " 7\r\n", 8, "Track  7");
        file("a trailing empty line", "3\r\n\r\n", 8, kept, Invalid);
        file("an empty file", "", 8, "");
        file("tracks beyond the disc", "3\r\n9\r\n4\r\n", 8, "Track 3|Track 4", Modified);
        file("no disc", "3\r\n", 0, "", Modified);
        // Random bytes, and random digits with line ends: the first line out of range ends the reading.
        QByteArray randomBytes(10'000'000, '\0');
        QRandomGenerator random(11);
        for (char& c : randomBytes)
            c = static_cast<char>(random.generate());
        file("10 MB of random bytes", randomBytes, 8, kept, Invalid);
        QByteArray digits(PlaylistFileMaxBytes, '\0');
        for (char& c : digits)
            c = "0123456789\r\n"[random.bounded(12)];
        file("1 MiB of random digits and line ends", digits, 99, kept, Invalid);
        // The largest playlist: as many lines as a playlist holds, 1 MiB in all; one byte more is too much.
        const QByteArray line = "7" + QByteArray(29, ' ') + "\r\n";
        const QByteArray last = "7" + QByteArray(int(29 + PlaylistFileMaxBytes - line.size() * PlaylistMaxEntries), ' ');
        const QByteArray largest = line.repeated(PlaylistMaxEntries - 1) + last + "\r\n";
        QStringList items(PlaylistMaxEntries - 1, PlaylistItemText(QString::fromLatin1(line.chopped(2))));
        items << PlaylistItemText(QString::fromLatin1(last));
        file("the largest playlist", largest, 8, items.join(u'|'));
        file("a byte more", largest + " ", 8, kept, Invalid);
        QTest::newRow("missing") << "missing" << QByteArray() << 8 << kept
                                 << "Error loading playlist [48]: The file %1 could not be opened: No such file or "
                                    "directory.";
        QTest::newRow("under a file") << "under a file" << QByteArray() << 8 << kept
                                      << "Error loading playlist [48]: The file %1 could not be opened: Not a "
                                         "directory.";
        QTest::newRow("a FIFO") << "fifo" << QByteArray() << 8 << kept << Invalid;
        QTest::newRow("a folder") << "folder" << QByteArray() << 8 << kept << Invalid;
        QTest::newRow("the chooser cancelled") << "cancel" << QByteArray() << 8 << kept << "";
    }
    void opening()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(int, tracks);
        QFETCH(QString, loaded);
        QFETCH(QString, box);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("wake up.dbp"));
        if (kind == "file") {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("wake up.dbp")));
        } else if (kind == "under a file") {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            path += QStringLiteral("/list.dbp");
        }
        Editor e(tracks);
        e.setSelected({QStringLiteral("Track 5")});
        e.w.platform.fileAnswers = {kind == "cancel" ? QString() : QStringLiteral(" %1 ").arg(path)};
        e.form->cmdOpen->click();
        QCOMPARE(e.selected(), loaded);
        QCOMPARE(e.boxes(), box.arg(path));
        const FakePlatform::FileRequest& asked = e.w.platform.fileRequests.at(0);
        QCOMPARE(asked.title, "Open playlist...");
        QCOMPARE(asked.filters, QStringList({"Dawnbell Playlists (*.dbp)", "*.dbp", "All files (*)", "*"}));
        QCOMPARE(asked.filterIndex, 1);
        QCOMPARE(asked.initialDir, "/home/sleeper");
        QVERIFY(!asked.save);
    }

    // Saving asks the save chooser and writes each entry with CR LF; opening the file again with the same disc
    // gives the same list. A place that cannot be written is reported and changes nothing.
    void saving_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("a playlist") << QStringList{"Track 3", "Track 12", "Track 3"} << true
                                    << QByteArray("3\r\n12\r\n3\r\n");
        QTest::newRow("an item read with a blank") << QStringList{"Track  7", "Track 3.5"} << true
                                                   << QByteArray(" 7\r\n3.5\r\n");
        QTest::newRow("an empty list") << QStringList{} << true << QByteArray();
        QTest::newRow("a place that cannot be written") << QStringList{"Track 3"} << false << QByteArray("9\r\n");
    }
    void saving()
    {
        QFETCH(QStringList, items);
        QFETCH(bool, writable);
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("old.dbp"));
        QFile oldFile(old);
        QVERIFY(oldFile.open(QIODevice::WriteOnly) && oldFile.write("9\r\n") == 3);
        oldFile.close();
        // An old playlist is replaced, or a path that runs through it cannot be written.
        const QString path = writable ? old : old + QStringLiteral("/new.dbp");
        Editor e(12);
        e.setSelected(items);
        e.w.platform.fileAnswers = {path, old};
        e.form->cmdSave->click();
        const FakePlatform::FileRequest& asked = e.w.platform.fileRequests.at(0);
        QCOMPARE(asked.title, "Save playlist as...");
        QVERIFY(asked.save);
        QCOMPARE(asked.initialDir, "/home/sleeper");
        QVERIFY(oldFile.open(QIODevice::ReadOnly));
        QCOMPARE(oldFile.readAll(), file);
        QCOMPARE(e.boxes(), writable ? QString()
                                     : QStringLiteral("Error saving playlist [48]: The playlist could not be saved as "
                                                      "%1.  %2 is a file, not a folder.")
                                           .arg(path, old));
        if (!writable)
            return;
        e.setSelected({});
        e.form->cmdOpen->click();
        QCOMPARE(e.selected(), items.join(u'|'));
        QCOMPARE(e.boxes(), QString());
    }
};

QTEST_MAIN(TestPlaylistEditor)
#include "test_playlist_editor.moc"
