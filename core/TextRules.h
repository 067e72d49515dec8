#pragma once
// The text rules the whole program shares: reading numbers out of texts, the time-of-day text the alarm is
// compared in, the countdown and snooze arithmetic on those texts, and shortening a path for a label.

#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

// The numeric value of a text: blanks, tabs and line feeds are removed, then the longest leading decimal number
// (optional sign, digits, optional fraction) is read; a text without one reads 0 ("12abc" is 12, "abc" is 0).
double NumericValue(const QString& text);
// The same, but nothing when the text holds no leading number at all.
std::optional<double> LeadingNumber(const QString& text);

// A value rounded to the nearest whole number, a half going to the even neighbour (2.5 is 2, 3.5 is 4).
int64_t RoundHalfEven(double value);

// A stored text read as a whole number: the whole text (blanks around it allowed) must be a decimal number,
// which is rounded half to even; anything else ("abc", "12abc", "", a value beyond the range) gives nothing.
std::optional<int64_t> ParseWholeNumber(const QString& text, int64_t minimum, int64_t maximum);
// The same for a number with a fraction (window coordinates).
std::optional<double> ParseDecimal(const QString& text);

// The time text of a time of day: 12-hour clock, hour without a leading zero, two-digit minutes and seconds,
// one blank, "AM" or "PM" ("7:45:00 AM", "12:03:10 AM"). Alarm times and the clock are compared in this form.
QString TimeText(const QTime& time);

// The time of day a time text stands for, or an invalid QTime when the text is not exactly in that form.
QTime ParseTimeText(const QString& text);

// The time of day a hand-written alarm time means: the program's own form, and also a two-digit hour, no
// seconds, a lower-case or dotted mark ("06:30 am", "6:30 p.m.") or a 24-hour clock ("18:30", "18:30:00"),
// with blanks around it. An invalid QTime when the text is no time of day.
QTime ReadAlarmTime(const QString& text);

// Time left from `now` to `alarm` (both time texts) as "hh:mm:ss", between 00:00:00 and 23:59:59: an alarm
// time that has just passed counts as nearly a day ahead. Texts that are no time texts read their fields by
// their numeric values.
QString TimeLeftText(const QString& now, const QString& alarm);

// The alarm time of a snooze pressed at the clock text `now`: `minutes` later, keeping the seconds of `now`;
// whole hours beyond 60 minutes are carried too.
QString SnoozeTimeText(const QString& now, int minutes);

// A path fitted into a label of about 36 characters. A path shorter than `wholeBelow` characters is shown whole;
// otherwise, when its file name (the text after the last "/") has at most 28 characters, the first 32 - k
// characters of the path, then ".../", then the k characters of the file name (36 in all); when the file name
// is longer, or there is no "/", `tooLong`.
QString ShortenPath(const QString& path, int wholeBelow, const QString& tooLong);
// The three labels that show a path, each with its own rule.
inline constexpr int HintWholeBelow = 32;         // the main window's hover hints
inline constexpr int SourcePanelWholeBelow = 37;  // the alarm-source panel, when an alarm type is chosen
inline constexpr int ChosenFileWholeBelow = 32;   // the alarm page, after a file was chosen
QString HintTooLongText();         // "*** Filename too long to display ***"
QString LabelTooLongText();        // "- Filename too long to display -"

// ---- The alarm-time fields of the settings dialog and the preset editor, and the dialog's small texts ----

// A field read as a whole number: its numeric value rounded to the nearest whole number, a half going to the
// even neighbour; 0 for a text without a number ("2.5" is 2, "12abc" is 12, "abc" is 0).
int64_t WholeNumber(const QString& text);
// The same, held to the range of a 16-bit setting.
int16_t WholeNumber16(const QString& text);

// The four alarm-time fields: hour, minute, second and the AM/PM mark, as texts.
struct TimeFields {
    QString hour;
    QString minute;
    QString second;
    QString ampm;
    bool operator==(const TimeFields&) const = default;
};
// A time text split by position. A text longer than 11 characters is cut to its last 11 first. When the third
// character is ":" the hour is characters 1-2, the minute 4-5, the second 7-8; otherwise the hour is character
// 1, the minute 3-4, the second 6-7. The mark is always the last two characters.
TimeFields SplitTimeText(const QString& text);
// The fields joined into a time text: hour ":" minute ":" second " " mark.
QString JoinTimeFields(const TimeFields& fields);

// The corrections a field gets when it loses the focus. Hour: the number read, rounded down, held to 1..12,
// without a leading zero. Minute and second: rounded down, held to 0..59, two digits.
QString CorrectHour(const QString& text);
QString CorrectMinuteSecond(const QString& text);
// The AM/PM mark: "A.M.", "a.m.", "A.m.", "Am", "am", "A", "a" are "AM", the same forms with P are "PM", and
// anything else is "AM"; comparisons keep case. The settings dialog first cuts a longer entry to its first two
// characters ("pmx" is "PM"); the preset editor never cuts ("pmx" is "AM").
enum class AmPmEntry { CutToTwo, Whole };
QString CorrectAmPm(const QString& text, AmPmEntry entry);
// The step buttons: the field's number, rounded half to even, one up (`delta` 1) or down (-1). Only the side
// the step leaves wraps round: the hour goes from 12 up to 1 and from 1 down to 12, minutes and seconds from 59
// up to 00 and from 00 down to 59. A number beyond 16 bits steps from its correction.
QString StepHour(const QString& text, int delta);
QString StepMinuteSecond(const QString& text, int delta);
// The AM/PM button: the settings dialog's correction, then the other half of the day.
QString ToggleAmPm(const QString& text);

// The countdown timer's minutes: the field as it stands when its number lies in 1..60, else "5".
QString CorrectTimerMinutes(const QString& text);
// The alarm time of the countdown timer started at the clock text `now`: `minutes` (1 to 60) later, keeping
// the seconds of `now`, round midnight as needed.
QString TimerTimeText(const QString& now, int minutes);

// The sleep length as its label shows it: " 1 minute", " 15 minutes".
QString SleepLengthText(int minutes);
// How the alarm CD plays, as the alarm page shows it: "Using custom playlist." or "Alarm will start on track 3.".
QString CdInfoText(int16_t usePlaylist, int startTrack);
