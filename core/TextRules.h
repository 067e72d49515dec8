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
