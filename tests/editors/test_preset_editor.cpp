// The preset editor, opened from the settings dialog's Speed Set against the fake platform: what it shows, what
// its fields and description store, and the labels and buttons of Speed Set afterwards, also after a restart.

#include "editors/frmPreset.h"
#include "settings_dialog/frmOptions.h"
#include "tests/fakes/World.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

void Start(World& w, const QStringList& stored)
{
    w.stored("Settings/Dialog1", QStringLiteral("0"));
    for (const QString& entry : stored)
        w.platform.store.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    w.start();
}

QString Fields(QComboBox* hour, QComboBox* minute, QComboBox* second, QComboBox* ampm)
{
    return QStringList{hour->currentText(), minute->currentText(), second->currentText(), ampm->currentText()}.join(
        u' ');
}

// The three Speed Set labels, each with "(off)" when its button is disabled.
QString SpeedSet(const frmOptions& d)
{
    QStringList shown;
    for (const auto& [label, button] : {std::pair{d.lblPreset1, d.cmdPreset1}, std::pair{d.lblPreset2, d.cmdPreset2},
                                        std::pair{d.lblPreset3, d.cmdPreset3}})
        shown << label->text() + (button->isEnabled() ? QString() : QStringLiteral(" (off)"));
    return shown.join(QStringLiteral(" | "));
}

// Opens the preset editor from `d` and takes the steps in it: "h6", "m5", "s0", "aAM" type into a time field
// and leave it with Tab ("h6!" stays in the field); "dWeekdays" types a description ("_" for a blank); "o2" clicks an option button; "ok"
// presses OK, "esc" Esc. `opened` receives the four fields as the editor opened.
void EditPresets(World& w, frmOptions& d, const QString& steps, QString* opened = nullptr)
{
    w.platform.onModal = [&](QDialog& form) {
        auto& p = dynamic_cast<frmPreset&>(form);
        p.show();
        p.activateWindow();
        if (!QTest::qWaitForWindowActive(&p))
            return 0;
        if (opened)
            *opened = Fields(p.cmbHour, p.cmbMinute, p.cmbSecond, p.cmbAMPM);
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QChar kind = step.at(0);
            const bool stay = step.endsWith(u'!');
            const QString text = step.mid(1, step.size() - (stay ? 2 : 1)).replace(u'_', u' ');
            QComboBox* field = kind == u'h' ? p.cmbHour
                               : kind == u'm' ? p.cmbMinute
                               : kind == u's' ? p.cmbSecond
                               : kind == u'a' ? p.cmbAMPM
                                              : nullptr;
            if (step == QLatin1String("ok")) {
                QTest::mouseClick(p.cmdOK, Qt::LeftButton);
            } else if (step == QLatin1String("esc")) {
                QTest::keyClick(&p, Qt::Key_Escape);
            } else if (field) {
                field->setFocus();
                field->lineEdit()->selectAll();
                QTest::keyClicks(field, text);
                if (!stay)
                    QTest::keyClick(field, Qt::Key_Tab);
            } else if (kind == u'd') {
                p.txtDesc->setFocus();
                QTest::keyClicks(p.txtDesc, text);
            } else if (kind == u'o') {
                QTest::mouseClick(p.findChild<QRadioButton*>(QLatin1String("opt") + text), Qt::LeftButton);
            }
        }
        return p.result();
    };
    d.cmdEditPresets->click();
}

}  // namespace

class TestPresetEditor : public QObject {
    Q_OBJECT
private slots:
    void editing_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("opened");    // the four fields as the editor opens
        QTest::addColumn<QString>("speedSet");  // the labels afterwards
        const QString undefined = QStringLiteral("No preset defined (off)");
        QTest::newRow("OK at once defines preset 1")
            << QStringList{} << "ok" << "7 00 00 AM" << "7:00:00 AM -  | " + undefined + " | " + undefined;
        QTest::newRow("a defined preset with a two-digit hour stays")
            << QStringList{"Presets/Preset1=12:05:30 PM", "Presets/Preset1Desc=Lunch"} << "ok" << "12 05 30 PM"
            << "12:05:30 PM - Lunch | " + undefined + " | " + undefined;
        QTest::newRow("edited") << QStringList{} << "h6 m5 s0 aAM dWeekdays ok" << "7 00 00 AM"
                                << "6:05:00 AM - Weekdays | " + undefined + " | " + undefined;
        QTest::newRow("the edit goes to its preset before the next is shown")
            << QStringList{"Presets/Preset2=5:15:00 PM", "Presets/Preset2Desc=Gym"} << "h9! o2 h10.5 ok" << "7 00 00 AM"
            << "9:00:00 AM -  | 10:15:00 PM - Gym | " + undefined;
        QTest::newRow("AM/PM is never cut") << QStringList{} << "aPMX ok" << "7 00 00 AM"
                                            << "7:00:00 AM -  | " + undefined + " | " + undefined;
        QTest::newRow("p.m.") << QStringList{} << "ap.m. h13 ok" << "7 00 00 AM"
                              << "12:00:00 PM -  | " + undefined + " | " + undefined;
        QTest::newRow("at most 50 characters")
            << QStringList{} << "d" + QString(60, u'x') + " ok" << "7 00 00 AM"
            << "7:00:00 AM - " + QString(50, u'x') + " | " + undefined + " | " + undefined;
        QTest::newRow("Esc keeps what was stored")
            << QStringList{} << "h8 dLate esc" << "7 00 00 AM" << "8:00:00 AM - Late | " + undefined + " | " + undefined;
    }
    void editing()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, steps);
        QFETCH(QString, opened);
        QFETCH(QString, speedSet);
        World w;
        Start(w, stored);
        frmOptions d(w.module, w.main());
        QVERIFY(d.cmdEditPresets->isEnabled());
        QString shown;
        EditPresets(w, d, steps, &shown);
        QCOMPARE(shown, opened);
        QCOMPARE(SpeedSet(d), speedSet);
    }

    // A preset edited, OK: Speed Set shows and uses it, and it is there after a restart.
    void presetKeptAcrossARestart()
    {
        World w;
        Start(w, {});
        {
            frmOptions d(w.module, w.main());
            EditPresets(w, d, QStringLiteral("h6 m5 s0 aAM dWeekdays ok"));
            QCOMPARE(d.lblPreset1->text(), "6:05:00 AM - Weekdays");
            d.cmdPreset1->click();
            QCOMPARE(Fields(d.cmbHour, d.cmbMinute, d.cmbSecond, d.cmbAMPM), "6 05 00 AM");
            d.cmdCancel->click();
        }
        w.module.SaveSettings();
        World again;
        again.platform.store = w.platform.store;
        again.start();
        frmOptions d(again.module, again.main());
        QCOMPARE(d.lblPreset1->text(), "6:05:00 AM - Weekdays");
        QVERIFY(d.cmdPreset1->isEnabled());
    }
};

QTEST_MAIN(TestPresetEditor)
#include "test_preset_editor.moc"
