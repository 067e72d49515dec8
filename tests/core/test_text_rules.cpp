// The text rules: numbers read out of texts, time texts, the countdown and the snooze arithmetic.

#include "core/TextRules.h"

#include <QtTest>

class TestTextRules : public QObject {
    Q_OBJECT
private slots:
    void numericValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "15" << 15.0;
        QTest::newRow("leading number") << "12abc" << 12.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("plus sign") << "+7" << 7.0;
        QTest::newRow("fraction") << "2.75 tracks" << 2.75;
        QTest::newRow("fraction only") << ".5" << 0.5;
        QTest::newRow("blanks inside") << " 1 2\t3\n4" << 1234.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("error text") << "The drive holds no disc." << 0.0;
        QTest::newRow("error text with digit") << "3 devices busy" << 3.0;
        QTest::newRow("second dot stops") << "1.2.3" << 1.2;
        QTest::newRow("huge") << QString(400, QLatin1Char('9')) << 0.0;
    }
    void numericValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(NumericValue(text), value);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("2.5 down") << 2.5 << qint64(2);
        QTest::newRow("3.5 up") << 3.5 << qint64(4);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("-3.5") << -3.5 << qint64(-4);
        QTest::newRow("2.4999") << 2.4999 << qint64(2);
        QTest::newRow("2.5001") << 2.5001 << qint64(3);
        QTest::newRow("ramp step 65535/30") << 65535.0 / 30 << qint64(2184);
        QTest::newRow("ramp step 40000/120") << 40000.0 / 120 << qint64(333);
        QTest::newRow("whole") << 7.0 << qint64(7);
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(RoundHalfEven(value), rounded);
    }

    void parseWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "15" << true << qint64(15);
        QTest::newRow("blanks around") << "  400 " << true << qint64(400);
        QTest::newRow("negative") << "-1" << true << qint64(-1);
        QTest::newRow("half to even") << "12.5" << true << qint64(12);
        QTest::newRow("letters") << "abc" << false << qint64(0);
        QTest::newRow("trailing letters") << "12abc" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("beyond int16") << "32768" << false << qint64(0);
        QTest::newRow("int16 top") << "32767" << true << qint64(32767);
        QTest::newRow("int16 bottom") << "-32768" << true << qint64(-32768);
        QTest::newRow("enormous") << "99999999999" << false << qint64(0);
        QTest::newRow("inner blank") << "1 5" << false << qint64(0);
    }
    void parseWholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, value);
        const std::optional<int64_t> parsed = ParseWholeNumber(text, -32768, 32767);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void timeText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning") << QTime(7, 45, 0) << "7:45:00 AM";
        QTest::newRow("midnight") << QTime(0, 30, 0) << "12:30:00 AM";
        QTest::newRow("noon") << QTime(12, 0, 5) << "12:00:05 PM";
        QTest::newRow("afternoon") << QTime(17, 5, 9) << "5:05:09 PM";
        QTest::newRow("before midnight") << QTime(23, 59, 59) << "11:59:59 PM";
        QTest::newRow("ten") << QTime(10, 0, 0) << "10:00:00 AM";
    }
    void timeText()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(TimeText(time), text);
        QCOMPARE(ParseTimeText(text), time);
        QCOMPARE(ReadAlarmTime(text), time);
    }

    // Texts that are not exactly the program's form: the strict reading refuses them all; the reading of a
    // hand-written alarm time takes those a person means as a time.
    void readingTimeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("meant");  // invalid: no time at all
        QTest::newRow("leading zero") << "07:45:00 AM" << QTime(7, 45, 0);
        QTest::newRow("lower case, two-digit hour") << "06:30:00 am" << QTime(6, 30, 0);
        QTest::newRow("no seconds") << "6:30 AM" << QTime(6, 30, 0);
        QTest::newRow("dotted mark, no blank") << "6:30p.m." << QTime(18, 30, 0);
        QTest::newRow("24-hour") << "18:30" << QTime(18, 30, 0);
        QTest::newRow("24-hour with seconds") << "18:30:00" << QTime(18, 30, 0);
        QTest::newRow("midnight, 24-hour") << "0:10:00" << QTime(0, 10, 0);
        QTest::newRow("blank before") << " 7:45:00 AM" << QTime(7, 45, 0);
        QTest::newRow("sign before") << "+7:45:00 AM" << QTime();
        QTest::newRow("hour 13 with a mark") << "13:00:00 PM" << QTime();
        QTest::newRow("hour 0 with a mark") << "0:10:00 AM" << QTime();
        QTest::newRow("hour 24") << "24:00" << QTime();
        QTest::newRow("minute 60") << "7:60:00 AM" << QTime();
        QTest::newRow("empty") << "" << QTime();
        QTest::newRow("words") << "half past seven" << QTime();
    }
    void readingTimeTexts()
    {
        QFETCH(QString, text);
        QFETCH(QTime, meant);
        QVERIFY(!ParseTimeText(text).isValid());
        QCOMPARE(ReadAlarmTime(text), meant);
    }

    void timeLeft_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<QString>("left");
        QTest::newRow("half a minute") << "7:44:30 AM" << "7:45:00 AM" << "00:00:30";
        QTest::newRow("at the time") << "7:45:00 AM" << "7:45:00 AM" << "00:00:00";
        QTest::newRow("just missed") << "7:45:01 AM" << "7:45:00 AM" << "23:59:59";
        QTest::newRow("over midnight") << "11:00:00 PM" << "6:30:15 AM" << "07:30:15";
        QTest::newRow("noon to midnight") << "12:00:00 PM" << "12:00:00 AM" << "12:00:00";
        QTest::newRow("seconds borrow") << "7:44:59 AM" << "7:45:10 AM" << "00:00:11";
        QTest::newRow("snooze") << "7:45:23 AM" << "7:53:23 AM" << "00:08:00";
        QTest::newRow("nonsense alarm") << "7:45:00 AM" << "soon" << "16:15:00";
    }
    void timeLeft()
    {
        QFETCH(QString, now);
        QFETCH(QString, alarm);
        QFETCH(QString, left);
        QCOMPARE(TimeLeftText(now, alarm), left);
    }

    void snooze_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("until");
        QTest::newRow("morning") << "7:45:23 AM" << 8 << "7:53:23 AM";
        QTest::newRow("over midnight") << "11:55:10 PM" << 8 << "12:03:10 AM";
        QTest::newRow("into one o'clock") << "12:58:00 PM" << 5 << "1:03:00 PM";
        QTest::newRow("into noon") << "11:57:00 AM" << 5 << "12:02:00 PM";
        QTest::newRow("a full hour") << "7:10:00 AM" << 60 << "8:10:00 AM";
        QTest::newRow("ninety minutes") << "7:40:00 AM" << 90 << "9:10:00 AM";
        QTest::newRow("ninety over midnight") << "11:40:30 PM" << 90 << "1:10:30 AM";
    }
    void snooze()
    {
        QFETCH(QString, now);
        QFETCH(int, minutes);
        QFETCH(QString, until);
        QCOMPARE(SnoozeTimeText(now, minutes), until);
    }

    // The three labels that show a path: the hover hints, the alarm-source panel and the alarm page after a
    // file was chosen. A shortened text is always 36 characters and shortening it again changes nothing.
    void shortenPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("wholeBelow");
        QTest::addColumn<QString>("tooLong");
        QTest::addColumn<QString>("shown");
        const QString hint = HintTooLongText();
        const QString label = LabelTooLongText();
        const QString name28 = QStringLiteral("/home/") + QString(24, u'n') + QStringLiteral(".wav");
        const QString name29 = QStringLiteral("/home/") + QString(25, u'n') + QStringLiteral(".wav");
        const auto row = [](const char* tag, const QString& path, int wholeBelow, const QString& tooLong,
                            const QString& shown) { QTest::newRow(tag) << path << wholeBelow << tooLong << shown; };
        row("hint: 31, whole", "/home/sleeper/Music/rooster.wav", HintWholeBelow, hint,
            "/home/sleeper/Music/rooster.wav");
        row("hint: 32, a name of 10", "/home/sleeper/Media/S/chimes.wav", HintWholeBelow, hint,
            "/home/sleeper/Media/S/.../chimes.wav");
        row("hint: 43, a name of 10", "/home/sleeper/Media/Sounds/Alarm/chimes.wav", HintWholeBelow, hint,
            "/home/sleeper/Media/So.../chimes.wav");
        row("hint: a name of 28", name28, HintWholeBelow, hint, "/hom.../" + name28.mid(6));
        row("hint: a name of 29", name29, HintWholeBelow, hint, hint);
        row("hint: no separator", QString(40, u'x'), HintWholeBelow, hint, hint);
        row("panel: 36, whole", "/home/sleeper/Music/Alarms/bell1.wav", SourcePanelWholeBelow, label,
            "/home/sleeper/Music/Alarms/bell1.wav");
        row("panel: 37", "/home/sleeper/Music/Alarms/bell12.wav", SourcePanelWholeBelow, label,
            "/home/sleeper/Music/Al.../bell12.wav");
        row("panel: 41, a name of 9", "/home/sleeper/Media/Sounds/Morn/ALARM.WAV", SourcePanelWholeBelow, label,
            "/home/sleeper/Media/Sou.../ALARM.WAV");
        row("panel: a name of 29", "/home/sleeper/" + name29.mid(6), SourcePanelWholeBelow, label, label);
        row("page: 31, whole", "/home/sleeper/Music/rooster.wav", ChosenFileWholeBelow, label,
            "/home/sleeper/Music/rooster.wav");
        row("page: 32, a name of 10", "/home/sleeper/Media/S/chimes.wav", ChosenFileWholeBelow, label,
            "/home/sleeper/Media/S/.../chimes.wav");
        row("page: a name of 29", name29, ChosenFileWholeBelow, label, label);
        row("page: 32, no separator", QString(32, u'x'), ChosenFileWholeBelow, label, label);
    }
    void shortenPath()
    {
        QFETCH(QString, path);
        QFETCH(int, wholeBelow);
        QFETCH(QString, tooLong);
        QFETCH(QString, shown);
        QCOMPARE(ShortenPath(path, wholeBelow, tooLong), shown);
        if (shown.size() == 36 && wholeBelow == SourcePanelWholeBelow)
            QCOMPARE(ShortenPath(shown, wholeBelow, tooLong), shown);
    }

    // ---- The alarm-time fields, Speed Set and the settings dialog's texts ----

    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("half to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "7.5" << 8;
        QTest::newRow("leading number") << "12abc" << 12;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("beyond 16 bits, held") << "99999" << 32767;
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(WholeNumber16(text)), value);
    }

    // A caption of 12 characters is cut to its last 11; a blank before a one-digit hour joins the hour.
    void splitTimeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("10") << "7:45:00 AM" << QStringList{"7", "45", "00", "AM"};
        QTest::newRow("11") << "12:30:15 PM" << QStringList{"12", "30", "15", "PM"};
        QTest::newRow("11, a blank before the hour") << " 7:05:00 AM" << QStringList{" 7", "05", "00", "AM"};
        QTest::newRow("12, a blank before") << " 12:30:00 PM" << QStringList{"12", "30", "00", "PM"};
        QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
    }
    void splitTimeText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        const TimeFields split = SplitTimeText(text);
        QCOMPARE((QStringList{split.hour, split.minute, split.second, split.ampm}), fields);
        if (text.size() >= 10 && !text.startsWith(u' '))
            QCOMPARE(JoinTimeFields(split), text);
    }

    void fieldCorrections_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("corrected");
        const auto rows = [](const char* field, std::initializer_list<std::pair<const char*, const char*>> cases) {
            for (const auto& [entry, corrected] : cases)
                QTest::addRow("%s %s", field, entry) << field << entry << corrected;
        };
        rows("hour", {{"13", "12"}, {"0", "1"}, {"-5", "1"}, {"07", "7"}, {"7.9", "7"}, {"abc", "1"}, {"12", "12"},
                      {" 7", "7"}, {"", "1"}, {"99999999999", "12"}});
        rows("minute", {{"75", "59"}, {"-5", "00"}, {"5", "05"}, {"", "00"}, {"59.9", "59"}, {"7", "07"}});
        rows("options AM/PM", {{"p.m.", "PM"}, {"pm", "PM"}, {"pmx", "PM"}, {"pM", "AM"}, {"Q", "AM"}, {"A.M.", "AM"},
                               {"A.m.", "AM"}, {"P.m.", "PM"}, {"a", "AM"}, {"P", "PM"}, {"Am", "AM"}, {"PM", "PM"},
                               {"AM", "AM"}, {"", "AM"}, {"PMX", "PM"}, {"p.m", "AM"}});
        rows("preset AM/PM", {{"PMX", "AM"}, {"pmx", "AM"}, {"p.m.", "PM"}, {"Pm", "PM"}, {"p", "PM"}, {"a.m.", "AM"},
                              {"pM", "AM"}, {"PM", "PM"}});
    }
    void fieldCorrections()
    {
        QFETCH(QString, field);
        QFETCH(QString, entry);
        QFETCH(QString, corrected);
        if (field == "hour")
            QCOMPARE(CorrectHour(entry), corrected);
        else if (field == "minute")
            QCOMPARE(CorrectMinuteSecond(entry), corrected);
        else
            QCOMPARE(CorrectAmPm(entry, field == "preset AM/PM" ? AmPmEntry::Whole : AmPmEntry::CutToTwo), corrected);
    }

    // There is no carry between fields, and only the side a step leaves wraps round.
    void stepButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QString>("stepped");
        QTest::newRow("hour up from 12") << "hour" << "12" << 1 << "1";
        QTest::newRow("hour down from 1") << "hour" << "1" << -1 << "12";
        QTest::newRow("hour up, empty") << "hour" << "" << 1 << "1";
        QTest::newRow("hour down, empty") << "hour" << "" << -1 << "12";
        QTest::newRow("hour up from 6.5") << "hour" << "6.5" << 1 << "7";
        QTest::newRow("hour up from 7.5") << "hour" << "7.5" << 1 << "9";
        QTest::newRow("hour beyond 16 bits") << "hour" << "40000" << 1 << "1";
        QTest::newRow("minute down from 00") << "minute" << "00" << -1 << "59";
        QTest::newRow("second up from 59") << "minute" << "59" << 1 << "00";
        QTest::newRow("minute up from 7") << "minute" << "7" << 1 << "08";
        QTest::newRow("minute beyond 16 bits") << "minute" << "-40000" << -1 << "59";
        QTest::newRow("toggle p") << "ampm" << "p" << 0 << "AM";
        QTest::newRow("toggle AM") << "ampm" << "AM" << 0 << "PM";
        QTest::newRow("toggle rubbish") << "ampm" << "xyz" << 0 << "PM";
    }
    void stepButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        QFETCH(int, delta);
        QFETCH(QString, stepped);
        if (button == "hour")
            QCOMPARE(StepHour(text, delta), stepped);
        else if (button == "minute")
            QCOMPARE(StepMinuteSecond(text, delta), stepped);
        else
            QCOMPARE(ToggleAmPm(text), stepped);
    }

    void speedSetTimer_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("minutes");  // as cmbMin holds it
        QTest::addColumn<QString>("alarm");
        QTest::newRow("keeps the seconds") << "7:05:42 AM" << "10" << "7:15:42 AM";
        QTest::newRow("round midnight") << "11:55:10 PM" << "10" << "12:05:10 AM";
        QTest::newRow("from 12:30 AM") << "12:30:00 AM" << "45" << "1:15:00 AM";
        QTest::newRow("to noon") << "11:50:00 AM" << "20" << "12:10:00 PM";
        QTest::newRow("past noon") << "12:59:00 PM" << "60" << "1:59:00 PM";
        QTest::newRow("0 is 5") << "7:00:00 AM" << "0" << "7:05:00 AM";
        QTest::newRow("61 is 5") << "7:00:00 AM" << "61" << "7:05:00 AM";
        QTest::newRow("no digits is 5") << "7:00:00 AM" << "soon" << "7:05:00 AM";
        QTest::newRow("2.5 rounds to 2") << "7:00:00 AM" << "2.5" << "7:02:00 AM";
    }
    void speedSetTimer()
    {
        QFETCH(QString, now);
        QFETCH(QString, minutes);
        QFETCH(QString, alarm);
        const QString field = CorrectTimerMinutes(minutes);
        QCOMPARE(TimerTimeText(now, int(WholeNumber(field))), alarm);
    }

    void dialogTexts()
    {
        QCOMPARE(SleepLengthText(1), " 1 minute");
        QCOMPARE(SleepLengthText(2), " 2 minutes");
        QCOMPARE(SleepLengthText(15), " 15 minutes");
        QCOMPARE(CdInfoText(0, 3), "Alarm will start on track 3.");
        QCOMPARE(CdInfoText(1, 3), "Using custom playlist.");
    }
};

QTEST_APPLESS_MAIN(TestTextRules)
#include "test_text_rules.moc"
