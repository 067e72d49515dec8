// The text rules: numbers read out of texts, time texts, the countdown, snooze and timer arithmetic, the
// alarm-time fields' corrections and steps, and the path shortening of the three labels that show a path.

#include "core/TextRules.h"

#include <QtTest>

#include <functional>
#include <map>

class TestTextRules : public QObject {
    Q_OBJECT
private slots:
    // One text read by each number rule: its numeric value, as a 16-bit field, and as a stored whole number.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("numeric");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("stored");  // "none": refused
        const auto row = [](const QString& text, double numeric, int field, const char* stored) {
            QTest::addRow("\"%s\"", qPrintable(text.left(20))) << text << numeric << field << QString(stored);
        };
        row("  400 ", 400, 400, "400");
        row("12abc", 12, 12, "none");
        row("abc", 0, 0, "none");
        row("", 0, 0, "none");
        row("-", 0, 0, "none");
        row("-1", -1, -1, "-1");
        row("+7", 7, 7, "7");
        row("2.75 tracks", 2.75, 3, "none");
        row(".5", 0.5, 0, "0");
        row(" 1 2\t3\n4", 1234, 1234, "none");
        row("1.2.3", 1.2, 1, "none");
        row("2.5", 2.5, 2, "2");
        row("7.5", 7.5, 8, "8");
        row("-2.5", -2.5, -2, "-2");
        row("-3.5", -3.5, -4, "-4");
        row("2.5001", 2.5001, 3, "3");
        row("32767", 32767, 32767, "32767");
        row("-32768", -32768, -32768, "-32768");
        row("32768", 32768, 32767, "none");
        row("99999999999", 99999999999.0, 32767, "none");
        row(QString(400, u'9'), 0, 0, "none");
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(double, numeric);
        QFETCH(int, field);
        QFETCH(QString, stored);
        QCOMPARE(NumericValue(text), numeric);
        QCOMPARE(int(WholeNumber16(text)), field);
        const std::optional<int64_t> parsed = ParseWholeNumber(text, -32768, 32767);
        QCOMPARE(parsed ? QString::number(*parsed) : QStringLiteral("none"), stored);
    }

    // The strict reading takes the program's own form only, and gives it back; the reading of a hand-written
    // alarm time also takes what a person means as a time.
    void timeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("strict");  // invalid: refused
        QTest::addColumn<QTime>("meant");   // invalid: no time at all
        const auto row = [](const char* text, QTime strict, QTime meant) { QTest::newRow(text) << text << strict << meant; };
        row("7:45:00 AM", QTime(7, 45), QTime(7, 45));
        row("12:30:00 AM", QTime(0, 30), QTime(0, 30));
        row("12:00:05 PM", QTime(12, 0, 5), QTime(12, 0, 5));
        row("5:05:09 PM", QTime(17, 5, 9), QTime(17, 5, 9));
        row("11:59:59 PM", QTime(23, 59, 59), QTime(23, 59, 59));
        row("10:00:00 AM", QTime(10, 0), QTime(10, 0));
        row("07:45:00 AM", {}, QTime(7, 45));
        row("6:30:00 am", {}, QTime(6, 30));
        row("6:30 AM", {}, QTime(6, 30));
        row("6:30p.m.", {}, QTime(18, 30));
        row("18:30", {}, QTime(18, 30));
        row("18:30:00", {}, QTime(18, 30));
        row("0:10:00", {}, QTime(0, 10));
        row(" 7:45:00 AM", {}, QTime(7, 45));
        row("+7:45:00 AM", {}, {});
        row("13:00:00 PM", {}, {});
        row("0:10:00 AM", {}, {});
        row("24:00", {}, {});
        row("7:60:00 AM", {}, {});
        row("", {}, {});
        row("half past seven", {}, {});
    }
    void timeTexts()
    {
        QFETCH(QString, text);
        QFETCH(QTime, strict);
        QFETCH(QTime, meant);
        QCOMPARE(ParseTimeText(text), strict);
        QCOMPARE(ReadAlarmTime(text), meant);
        if (strict.isValid())
            QCOMPARE(TimeText(strict), text);
    }

    // Every rule from text to text; an entry of two parts is written "first|second".
    void rules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("result");
        const auto rows = [](const char* rule, std::initializer_list<std::pair<QString, QString>> cases) {
            for (const auto& [entry, result] : cases)
                QTest::addRow("%s %s", rule, qPrintable(entry.left(40))) << QString(rule) << entry << result;
        };
        // The corrections of a field that loses the focus.
        rows("hour", {{"13", "12"}, {"0", "1"}, {"-5", "1"}, {"07", "7"}, {"7.9", "7"}, {"abc", "1"}, {"12", "12"},
                      {"", "1"}, {"99999999999", "12"}});
        rows("minute", {{"75", "59"}, {"-5", "00"}, {"5", "05"}, {"", "00"}, {"59.9", "59"}});
        rows("options AM/PM", {{"p.m.", "PM"}, {"pm", "PM"}, {"pmx", "PM"}, {"pM", "AM"}, {"Q", "AM"}, {"A.M.", "AM"},
                               {"P.m.", "PM"}, {"a", "AM"}, {"P", "PM"}, {"Am", "AM"}, {"PM", "PM"}, {"", "AM"},
                               {"PMX", "PM"}, {"p.m", "AM"}});
        rows("preset AM/PM", {{"PMX", "AM"}, {"pmx", "AM"}, {"p.m.", "PM"}, {"Pm", "PM"}, {"pM", "AM"}, {"PM", "PM"}});
        // The step buttons: no carry between fields, and only the side a step leaves wraps round.
        rows("hour up", {{"12", "1"}, {"", "1"}, {"-5", "-4"}, {"6.5", "7"}, {"7.5", "9"}, {"40000", "1"}});
        rows("hour down", {{"1", "12"}, {"", "12"}});
        rows("minute up", {{"59", "00"}, {"7", "08"}});
        rows("minute down", {{"00", "59"}, {"-40000", "59"}});
        rows("toggle", {{"p", "AM"}, {"AM", "PM"}, {"xyz", "PM"}});
        // A time text cut into its four fields: a caption of 12 characters is cut to its last 11, a blank before
        // a one-digit hour joins the hour.
        rows("split", {{"7:45:00 AM", "7|45|00|AM"}, {"12:30:15 PM", "12|30|15|PM"}, {" 7:05:00 AM", " 7|05|00|AM"},
                       {" 12:30:00 PM", "12|30|00|PM"}, {"", "|||"}});
        // now|alarm: the countdown.
        rows("time left", {{"7:44:30 AM|7:45:00 AM", "00:00:30"}, {"7:45:00 AM|7:45:00 AM", "00:00:00"},
                           {"7:45:01 AM|7:45:00 AM", "23:59:59"}, {"11:00:00 PM|6:30:15 AM", "07:30:15"},
                           {"12:00:00 PM|12:00:00 AM", "12:00:00"}, {"7:44:59 AM|7:45:10 AM", "00:00:11"},
                           {"7:45:00 AM|soon", "16:15:00"}});
        // now|minutes: the snooze, and the Speed Set timer with its minutes field as typed.
        rows("snooze", {{"11:55:10 PM|8", "12:03:10 AM"}, {"12:58:00 PM|5", "1:03:00 PM"},
                        {"11:57:00 AM|5", "12:02:00 PM"}, {"11:40:30 PM|90", "1:10:30 AM"}});
        rows("timer", {{"7:05:42 AM|10", "7:15:42 AM"}, {"11:55:10 PM|10", "12:05:10 AM"},
                       {"12:30:00 AM|45", "1:15:00 AM"}, {"11:50:00 AM|20", "12:10:00 PM"},
                       {"12:59:00 PM|60", "1:59:00 PM"}, {"7:00:00 AM|0", "7:05:00 AM"}, {"7:00:00 AM|61", "7:05:00 AM"},
                       {"7:00:00 AM|soon", "7:05:00 AM"}, {"7:00:00 AM|2.5", "7:02:00 AM"}});
        // The hover hints (whole below 32 characters), the alarm-source panel (whole up to 36) and the alarm page
        // (whole below 32); a file name of more than 28 characters, or no "/", is too long.
        const QString name28 = "/home/" + QString(24, u'n') + ".wav";
        const QString name29 = "/home/" + QString(25, u'n') + ".wav";
        rows("hint", {{"/home/sleeper/Music/rooster.wav", "/home/sleeper/Music/rooster.wav"},
                      {"/home/sleeper/Media/S/chimes.wav", "/home/sleeper/Media/S/.../chimes.wav"},
                      {"/home/sleeper/Media/Sounds/Alarm/chimes.wav", "/home/sleeper/Media/So.../chimes.wav"},
                      {name28, "/hom.../" + name28.mid(6)},
                      {name29, "*** Filename too long to display ***"}});
        rows("panel", {{"/home/sleeper/Music/Alarms/bell1.wav", "/home/sleeper/Music/Alarms/bell1.wav"},
                       {"/home/sleeper/Music/Alarms/bell12.wav", "/home/sleeper/Music/Al.../bell12.wav"},
                       {"/home/sleeper/" + name29.mid(6), "- Filename too long to display -"}});
        rows("page", {{"/home/sleeper/Music/rooster.wav", "/home/sleeper/Music/rooster.wav"},
                      {"/home/sleeper/Media/S/chimes.wav", "/home/sleeper/Media/S/.../chimes.wav"},
                      {QString(32, u'x'), "- Filename too long to display -"}});
    }
    void rules()
    {
        QFETCH(QString, rule);
        QFETCH(QString, entry);
        QFETCH(QString, result);
        using Rule = std::function<QString(const QString&, const QString&)>;
        static const std::map<QString, Rule> apply{
            {"hour", [](auto& a, auto&) { return CorrectHour(a); }},
            {"minute", [](auto& a, auto&) { return CorrectMinuteSecond(a); }},
            {"options AM/PM", [](auto& a, auto&) { return CorrectAmPm(a, AmPmEntry::CutToTwo); }},
            {"preset AM/PM", [](auto& a, auto&) { return CorrectAmPm(a, AmPmEntry::Whole); }},
            {"hour up", [](auto& a, auto&) { return StepHour(a, 1); }},
            {"hour down", [](auto& a, auto&) { return StepHour(a, -1); }},
            {"minute up", [](auto& a, auto&) { return StepMinuteSecond(a, 1); }},
            {"minute down", [](auto& a, auto&) { return StepMinuteSecond(a, -1); }},
            {"toggle", [](auto& a, auto&) { return ToggleAmPm(a); }},
            {"split", [](auto& a, auto&) {
                 const TimeFields f = SplitTimeText(a);
                 return QStringList{f.hour, f.minute, f.second, f.ampm}.join(u'|');
             }},
            {"time left", [](auto& a, auto& b) { return TimeLeftText(a, b); }},
            {"snooze", [](auto& a, auto& b) { return SnoozeTimeText(a, b.toInt()); }},
            {"timer", [](auto& a, auto& b) { return TimerTimeText(a, int(WholeNumber(CorrectTimerMinutes(b)))); }},
            {"hint", [](auto& a, auto&) { return ShortenPath(a, HintWholeBelow, HintTooLongText()); }},
            {"panel", [](auto& a, auto&) { return ShortenPath(a, SourcePanelWholeBelow, LabelTooLongText()); }},
            {"page", [](auto& a, auto&) { return ShortenPath(a, ChosenFileWholeBelow, LabelTooLongText()); }},
        };
        QCOMPARE(apply.at(rule)(entry.section(u'|', 0, 0), entry.section(u'|', 1)), result);
        if (rule == "split" && entry.size() >= 10 && !entry.startsWith(u' '))
            QCOMPARE(JoinTimeFields(SplitTimeText(entry)), entry);
    }
};

QTEST_APPLESS_MAIN(TestTextRules)
#include "test_text_rules.moc"
