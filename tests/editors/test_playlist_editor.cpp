// The playlist editor against the fake platform: editing the playlist with the lists and buttons, what each mode
// enables, the disc's tracks and what OK commits (one table), and the playlist files opened and saved with every
// failure reported (a missing file, a FIFO, a file too large, an unwritable place).

#include "core/PlaylistRules.h"
#include "editors/frmPlaylist.h"
#include "tests/fakes/World.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {

// Dawnbell with the CD-ROM drive E: holding a disc of `tracks` tracks (none for 0), `committed` ("5 6") as the
// committed playlist, and the playlist editor loaded.
struct Editor {
    World w;
    std::unique_ptr<frmPlaylist> form;

    explicit Editor(int tracks = 8, const QString& committed = {}, int usePlaylist = 0, int startTrack = 1)
    {
        w.platform.cdDrives = {QStringLiteral("E:")};
        if (tracks > 0)
            w.platform.insertDisc(tracks);
        else
            w.platform.removeDisc();
        w.stored("Settings/Dialog1", QStringLiteral("0"));
        w.start();
        w.settings().CDStartTrack = static_cast<int16_t>(startTrack);  // as the dialog's start track may be
        for (const QString& track : committed.split(u' ', Qt::SkipEmptyParts))
            w.module.PlaylistTracks.push_back(static_cast<int16_t>(track.toInt()));
        w.module.PlaylistCount = static_cast<int16_t>(w.module.PlaylistTracks.size());
        w.module.UsePlaylist = static_cast<int16_t>(usePlaylist);
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
    QString shown(const QString& name) const
    {
        const frmPlaylist& f = *form;
        if (name == QLatin1String("selected") || name == QLatin1String("available"))
            return Items(name == QLatin1String("selected") ? f.lstSelected : f.lstAvailable);
        if (name == QLatin1String("disabled")) {
            QStringList disabled;
            for (const QWidget* control : f.findChildren<QWidget*>()) {
                const QString name = control->objectName();
                if (!control->isEnabled() && !name.isEmpty() && !name.startsWith("qt_"))
                    disabled << name;
            }
            return disabled.join(u' ');
        }
        if (name == QLatin1String("committed")) {
            QStringList tracks;
            for (int i = 0; i < w.module.PlaylistCount; ++i)
                tracks << QString::number(w.module.PlaylistTracks.at(static_cast<size_t>(i)));
            return QString::number(w.module.UsePlaylist) + QStringLiteral(": ") + tracks.join(u' ');
        }
        if (name == QLatin1String("boxes")) {
            QStringList texts;
            for (const FakePlatform::Box& box : w.platform.boxes)
                texts << QStringLiteral("%1 [%2]: %3").arg(box.title).arg(box.style).arg(box.text);
            return texts.join(u'\n');
        }
        if (name == QLatin1String("open"))
            return f.isVisible() ? QStringLiteral("1") : QStringLiteral("0");
        if (name.endsWith(QLatin1String(".count")))
            return QString::number(f.findChild<QComboBox*>(name.chopped(6))->count());
        if (auto* option = f.findChild<QRadioButton*>(name))
            return option->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
        if (auto* combo = f.findChild<QComboBox*>(name))
            return combo->currentText();
        return f.findChild<QLabel*>(name)->text();
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
    // The editor loaded with a disc of `tracks` tracks (0: none), the start track, a committed playlist ("5 6",
    // `usePlaylist` its mode) and shown; the steps run, then it shows `shown` ("NAME=text": a control's text or
    // "on"/"off"; "NAME.count" a list's entries; "selected" and "available" the lists' items joined by "|";
    // "disabled" the controls that are; "committed" UsePlaylist and the committed tracks; "boxes" the message
    // boxes; "open" whether the editor is still shown). Steps: "click:NAME"; "add:3,1" (these rows of the
    // available tracks selected, then Add); "dbl:2,5" (rows selected, the last with a Ctrl double click);
    // "remove:2,4" (rows of the playlist selected, then Remove); "undbl:2" (a row of the playlist double-clicked);
    // "items:3.5,_7" (the playlist's items: "Track " and each text, "_" a blank).
    void scenarios_data()
    {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("startTrack");
        QTest::addColumn<QString>("committed");
        QTest::addColumn<int>("usePlaylist");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("shown");
        const auto row = [](const char* tag, int tracks, int startTrack, const char* committed, int usePlaylist,
                            const char* steps, const QStringList& shown) {
            QTest::newRow(tag) << tracks << startTrack << committed << usePlaylist << steps << shown;
        };
        // Editing: a track any number of times and in any order; Add never takes a track away.
        const auto edit = [&](const char* tag, const char* steps, const QString& selected) {
            row(tag, 8, 1, "", 1, steps, {"selected=" + selected, "available=" + Tracks(1, 8)});
        };
        edit("a track again, any order", "click:cmdClear add:3 add:1 add:3", "Track 3|Track 1|Track 3");
        edit("double click adds the selection with it, in list order", "click:cmdClear dbl:5,2", "Track 2|Track 5");
        edit("Remove and a double click keep the rest in order", "remove:2,4 undbl:3",
             "Track 1|Track 3|" + Tracks(6, 8));
        edit("reset", "click:cmdClear add:4 click:cmdReset", Tracks(1, 8));

        // What each mode disables, at loading (the file buttons stay enabled) and after a click (the rows of OK
        // below); the committed playlist comes back at loading.
        const QString trackControls = QStringLiteral("lblCD1 cmbTrack lblTracks");
        const QString listControls = "Label2 lstAvailable cmdAdd cmdRemove cmdClear cmdReset Label3 lstSelected";
        const QString committed = QStringLiteral("selected=Track 3|Track 1|Track 3");
        row("loaded in start-track mode", 8, 3, "3 1 3", 0, "",
            {"disabled=" + listControls, "optPlayList=off", committed, "lblTracks=8", "cmbTrack=3"});
        row("loaded in playlist mode", 8, 1, "3 1 3", 1, "",
            {"disabled=" + trackControls, "optPlayList=on", committed});

        // The disc: without one 25 tracks are offered; a start track beyond it shows as 1; an empty playlist is
        // proposed the whole disc.
        row("no disc", 0, 5, "", 0, "",
            {"lblTracks=No CD.", "available=" + Tracks(1, 25), "selected=" + Tracks(1, 25), "cmbTrack.count=25",
             "cmbTrack=1"});
        row("a start track beyond the disc", 3, 5, "", 0, "",
            {"lblTracks=3", "available=" + Tracks(1, 3), "selected=" + Tracks(1, 3), "cmbTrack.count=3", "cmbTrack=1"});

        // OK commits (Esc too: test_settings_dialog closes the editor with it): a playlist in playlist mode, only
        // the mode in start-track mode; an empty playlist is refused and keeps the editor open. An earlier
        // playlist 5, 6 is committed.
        row("numbers read from files", 8, 1, "5 6", 0, "click:optPlayList items:3.5,_7,2.5 click:cmdOK",
            {"committed=1: 4 7 2", "open=0"});
        row("an empty playlist is refused", 8, 1, "5 6", 0, "click:optPlayList click:cmdClear click:cmdOK",
            {"committed=0: 5 6", "open=1", "disabled=" + trackControls,
             "boxes=Dawnbell [0]: Your playlist is empty.  Please add some tracks to your playlist."});
        row("start-track mode keeps the playlist", 8, 1, "5 6", 1, "click:optNoPlayList items:3 click:cmdOK",
            {"committed=0: 5 6", "open=0", "boxes=", "disabled=" + listControls + " cmdOpen cmdSave"});
    }
    void scenarios()
    {
        QFETCH(int, tracks);
        QFETCH(int, startTrack);
        QFETCH(QString, committed);
        QFETCH(int, usePlaylist);
        QFETCH(QString, steps);
        QFETCH(QStringList, shown);
        Editor e(tracks, committed, usePlaylist, startTrack);
        frmPlaylist& f = *e.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const auto doubleClick = [](QListWidget* list, const QString& rows, Qt::KeyboardModifiers modifiers) {
            const QStringList all = rows.split(u',');
            Editor::Select(list, all.mid(0, all.size() - 1).join(u','));
            const QPoint at = list->visualItemRect(list->item(all.back().toInt() - 1)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, at);
        };
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = step.section(u':', 0, 0);
            const QString what = step.section(u':', 1);
            if (verb == QLatin1String("click")) {
                f.findChild<QAbstractButton*>(what)->click();
            } else if (verb == QLatin1String("add")) {
                Editor::Select(f.lstAvailable, what);
                f.cmdAdd->click();
            } else if (verb == QLatin1String("dbl")) {
                doubleClick(f.lstAvailable, what, Qt::ControlModifier);
            } else if (verb == QLatin1String("remove")) {
                Editor::Select(f.lstSelected, what);
                f.cmdRemove->click();
            } else if (verb == QLatin1String("undbl")) {
                doubleClick(f.lstSelected, what, Qt::NoModifier);
            } else if (verb == QLatin1String("items")) {
                QStringList items;
                for (const QString& text : what.split(u','))
                    items << PlaylistItemText(QString(text).replace(u'_', u' '));
                e.setSelected(items);
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
            }
        }
        for (const QString& expected : shown) {
            const QString name = expected.section(u'=', 0, 0);
            QCOMPARE(name + u'=' + e.shown(name), expected);
        }
    }

    // Playlist files, with a disc of 12 tracks. Opening into a list holding "Track 5" a path that is `kind`: "file"
    // (holding `bytes`; "file, no disc" without the disc), "missing", "fifo" (no regular file), or "cancel" (the
    // chooser cancelled). Saving (`kind` "save") the list `saved` over an old playlist writes `bytes`, and opening it
    // again gives the list back; "save under a file" is a path through the old playlist, which cannot be written.
    // Which lines a file may hold is test_playlist_file's; here, what the file, the list and the user see.
    void files_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("box");  // %1 is the path chosen, %2 the old playlist
        const auto open = [](const char* tag, const char* kind, const QByteArray& bytes, const QString& loaded,
                             const QString& box = {}) {
            QTest::newRow(tag) << kind << QStringList() << bytes << loaded << box;
        };
        const QString kept = QStringLiteral("Track 5");
        open("not a playlist", "file", "3\r\n\r\n", kept, Invalid);
        open("no disc", "file, no disc", "3\r\n", "", Modified);
        // The largest file a playlist can be, and one byte more.
        const QByteArray largest = "7" + QByteArray(PlaylistFileMaxBytes - 3, ' ') + "\r\n";
        open("1 MiB", "file", largest, PlaylistItemText(QString::fromLatin1(largest.chopped(2))));
        open("a byte more", "file", largest + " ", kept, Invalid);
        open("missing", "missing", {}, kept,
             "Error loading playlist [48]: The file %1 could not be opened: No such file or directory.");
        open("a FIFO", "fifo", {}, kept, Invalid);
        open("the chooser cancelled", "cancel", {}, kept);
        const auto save = [](const char* tag, const char* kind, const QStringList& saved, const QByteArray& bytes,
                             const QString& box = {}) {
            QTest::newRow(tag) << kind << saved << bytes << saved.join(u'|') << box;
        };
        save("saved, an item read with a blank", "save", {"Track  7", "Track 3.5"}, " 7\r\n3.5\r\n");
        save("saved, an empty list, which opens empty", "save", {}, "");
        save("a place that cannot be written", "save under a file", {"Track 3"}, "9\r\n",
             "Error saving playlist [48]: The playlist could not be saved as %1.  %2 is a file, not a folder.");
    }
    void files()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, saved);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, loaded);
        QFETCH(QString, box);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wake up.dbp"));
        const bool saving = kind.startsWith(QLatin1String("save"));
        QFile file(path);
        if (kind.startsWith(QLatin1String("file")) || saving)
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(saving ? QByteArray("9\r\n") : bytes) >= 0);
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        file.close();
        const QString chosen = kind == "save under a file" ? path + QStringLiteral("/new.dbp") : path;
        Editor e(kind == "file, no disc" ? 0 : 12);
        e.setSelected(saving ? saved : QStringList{QStringLiteral("Track 5")});
        e.w.platform.fileAnswers = {kind == "cancel" ? QString() : u' ' + chosen + u' '};
        (saving ? e.form->cmdSave : e.form->cmdOpen)->click();
        // The chooser: its title, filters, filter index, folder, and whether it saves.
        const FakePlatform::FileRequest& asked = e.w.platform.fileRequests.at(0);
        QCOMPARE(QStringList({asked.title, asked.filters.join(u';'), QString::number(asked.filterIndex),
                              asked.initialDir, asked.save ? "save" : "open"})
                     .join(u'|'),
                 QString("%1|Dawnbell Playlists (*.dbp);*.dbp;All files (*);*|1|/home/sleeper|%2")
                     .arg(saving ? "Save playlist as..." : "Open playlist...", saving ? "save" : "open"));
        QCOMPARE(e.shown(QStringLiteral("boxes")),
                 QString(box).replace(QStringLiteral("%2"), path).replace(QStringLiteral("%1"), chosen));
        if (saving) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
        if (kind == "save") {
            e.setSelected({});
            e.w.platform.fileAnswers = {path};
            e.form->cmdOpen->click();
        }
        QCOMPARE(e.shown(QStringLiteral("selected")), loaded);
    }
};

QTEST_MAIN(TestPlaylistEditor)
#include "test_playlist_editor.moc"
