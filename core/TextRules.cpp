#include "core/TextRules.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Length of the decimal number at the start of `text` (sign, digits, fraction), 0 when there is none.
qsizetype LeadingNumberLength(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < text.size() && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            ++fraction;
        }
        if (fraction > 0 || digits > 0) {
            i = j;
            digits += fraction;
        }
    }
    return digits > 0 ? i : 0;
}

int Mod(int value, int modulus)
{
    const int r = value % modulus;
    return r < 0 ? r + modulus : r;
}

}  // namespace

double NumericValue(const QString& text) { return LeadingNumber(text).value_or(0.0); }

std::optional<double> LeadingNumber(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            compact.append(c);
    }
    const qsizetype length = LeadingNumberLength(compact);
    if (length == 0)
        return std::nullopt;
    bool ok = false;
    const double value = compact.left(length).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int64_t RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    if (value >= 9.2e18)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18)
        return std::numeric_limits<int64_t>::min();
    const double lower = std::floor(value);
    const double difference = value - lower;
    auto whole = static_cast<int64_t>(lower);
    if (difference > 0.5 || (difference == 0.5 && (whole % 2 != 0)))
        ++whole;
    return whole;
}

std::optional<double> ParseDecimal(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || LeadingNumberLength(trimmed) != trimmed.size())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int64_t> ParseWholeNumber(const QString& text, int64_t minimum, int64_t maximum)
{
    const std::optional<double> value = ParseDecimal(text);
    if (!value || std::fabs(*value) > 1e15)
        return std::nullopt;
    const int64_t whole = RoundHalfEven(*value);
    if (whole < minimum || whole > maximum)
        return std::nullopt;
    return whole;
}

QString TimeText(const QTime& time)
{
    int hour = time.hour() % 12;
    if (hour == 0)
        hour = 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QTime ParseTimeText(const QString& text)
{
    // h:mm:ss AM, with a one- or two-digit hour from 1 to 12.
    const qsizetype firstColon = text.indexOf(u':');
    if (firstColon < 1 || firstColon > 2 || text.size() != firstColon + 9 || !text[0].isDigit() ||
        !text[firstColon - 1].isDigit())
        return {};
    if (text[firstColon + 3] != u':' || text[firstColon + 6] != u' ')
        return {};
    const QString mark = text.right(2);
    if (mark != QLatin1String("AM") && mark != QLatin1String("PM"))
        return {};
    bool okHour = false, okMinute = false, okSecond = false;
    const int hour = text.left(firstColon).toInt(&okHour);
    const int minute = text.mid(firstColon + 1, 2).toInt(&okMinute);
    const int second = text.mid(firstColon + 4, 2).toInt(&okSecond);
    if (!okHour || !okMinute || !okSecond || text[0] == u'0' || hour < 1 || hour > 12 || minute > 59 ||
        second > 59 || !text[firstColon + 1].isDigit() || !text[firstColon + 4].isDigit())
        return {};
    int hour24 = hour % 12;
    if (mark == QLatin1String("PM"))
        hour24 += 12;
    return QTime(hour24, minute, second);
}

QTime ReadAlarmTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*(?:([AaPp])\\.?\\s*[Mm]\\.?)?\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.capturedLength(3) > 0 ? match.captured(3).toInt() : 0;
    const QString mark = match.captured(4).toUpper();
    if (!mark.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (mark == QLatin1String("P") ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return {};
    return QTime(hour, minute, second);
}

namespace {

// Seconds since midnight of a time text, read field by field: the hour before the first ":", the minutes
// before the second, the seconds before the blank, then the AM/PM mark. Fields that are no numbers read 0.
int SecondsOfDay(const QString& text)
{
    const QTime time = ParseTimeText(text);
    if (time.isValid())
        return time.msecsSinceStartOfDay() / 1000;

    const qsizetype c1 = text.indexOf(u':');
    const qsizetype c2 = c1 < 0 ? -1 : text.indexOf(u':', c1 + 1);
    const qsizetype blank = c2 < 0 ? -1 : text.indexOf(u' ', c2 + 1);
    const auto field = [](const QString& part) {
        return static_cast<int>(RoundHalfEven(NumericValue(part)) % 1000);
    };
    int hour = field(c1 < 0 ? text : text.left(c1));
    const int minute = c1 < 0 ? 0 : field(text.mid(c1 + 1, c2 < 0 ? -1 : c2 - c1 - 1));
    const int second = c2 < 0 ? 0 : field(text.mid(c2 + 1, blank < 0 ? -1 : blank - c2 - 1));
    const QString mark = blank < 0 ? QString() : text.mid(blank + 1).trimmed();
    if (mark == QLatin1String("AM") && hour == 12)
        hour = 0;
    else if (mark == QLatin1String("PM") && hour != 12)
        hour += 12;
    return hour * 3600 + minute * 60 + second;
}

}  // namespace

QString TimeLeftText(const QString& now, const QString& alarm)
{
    // Stepping the clock forward second by second, minute by minute and hour by hour until it meets the
    // alarm amounts to the difference of the two times of day, taken modulo one day.
    const int left = Mod(SecondsOfDay(alarm) - SecondsOfDay(now), 24 * 3600);
    return QStringLiteral("%1:%2:%3")
        .arg(left / 3600, 2, 10, QLatin1Char('0'))
        .arg(left / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(left % 60, 2, 10, QLatin1Char('0'));
}

QString SnoozeTimeText(const QString& now, int minutes)
{
    const QTime start = ParseTimeText(now);
    if (!start.isValid())
        return now;
    return TimeText(start.addSecs(static_cast<int64_t>(minutes) * 60));
}

QString ShortenPath(const QString& path, int wholeBelow, const QString& tooLong)
{
    if (path.size() < wholeBelow)
        return path;
    const qsizetype separator = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype nameLength = path.size() - separator - 1;
    if (separator < 0 || nameLength > 28)
        return tooLong;
    return path.left(32 - nameLength) + QStringLiteral(".../") + path.right(nameLength);
}

QString HintTooLongText() { return QStringLiteral("*** Filename too long to display ***"); }
QString LabelTooLongText() { return QStringLiteral("- Filename too long to display -"); }

// ---------------------------------------------------------------------------------------------------------
// The alarm-time fields

int64_t WholeNumber(const QString& text) { return RoundHalfEven(NumericValue(text)); }

int16_t WholeNumber16(const QString& text)
{
    return static_cast<int16_t>(std::clamp<int64_t>(WholeNumber(text), std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

TimeFields SplitTimeText(const QString& text)
{
    const QString t = text.size() > 11 ? text.right(11) : text;
    const bool twoDigitHour = t.size() > 2 && t[2] == u':';
    if (twoDigitHour)
        return {t.mid(0, 2), t.mid(3, 2), t.mid(6, 2), t.right(2)};
    return {t.mid(0, 1), t.mid(2, 2), t.mid(5, 2), t.right(2)};
}

QString JoinTimeFields(const TimeFields& f)
{
    return f.hour + QLatin1Char(':') + f.minute + QLatin1Char(':') + f.second + QLatin1Char(' ') + f.ampm;
}

namespace {

// The number of a field rounded down and held to [low, high].
int FloorClamped(const QString& text, int low, int high)
{
    return static_cast<int>(std::clamp(std::floor(NumericValue(text)), double(low), double(high)));
}

QString TwoDigits(int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// A step button's number: the field's number, one up or down, wrapped round on the side it leaves. A number
// beyond 16 bits steps from the field's correction.
int64_t Stepped(const QString& text, const QString& corrected, int delta, int low, int high)
{
    int64_t n = WholeNumber(text);
    if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max())
        n = WholeNumber(corrected);
    n += delta;
    if (delta > 0 && n > high)
        return low;
    if (delta < 0 && n < low)
        return high;
    return n;
}

}  // namespace

QString CorrectHour(const QString& text) { return QString::number(FloorClamped(text, 1, 12)); }

QString CorrectMinuteSecond(const QString& text) { return TwoDigits(FloorClamped(text, 0, 59)); }

QString CorrectAmPm(const QString& text, AmPmEntry entry)
{
    static const QStringList am = {QStringLiteral("A.M."), QStringLiteral("a.m."), QStringLiteral("A.m."),
                                   QStringLiteral("Am"), QStringLiteral("am"), QStringLiteral("A"),
                                   QStringLiteral("a")};
    static const QStringList pm = {QStringLiteral("P.M."), QStringLiteral("p.m."), QStringLiteral("P.m."),
                                   QStringLiteral("Pm"), QStringLiteral("pm"), QStringLiteral("P"),
                                   QStringLiteral("p")};
    QString t = text;
    if (entry == AmPmEntry::CutToTwo && t.size() > 2 && !am.mid(0, 3).contains(t) && !pm.mid(0, 3).contains(t))
        t = t.left(2);
    if (am.contains(t))
        return QStringLiteral("AM");
    if (pm.contains(t))
        return QStringLiteral("PM");
    return t == QLatin1String("PM") ? t : QStringLiteral("AM");
}

QString StepHour(const QString& text, int delta)
{
    return QString::number(Stepped(text, CorrectHour(text), delta, 1, 12));
}

QString StepMinuteSecond(const QString& text, int delta)
{
    return TwoDigits(Stepped(text, CorrectMinuteSecond(text), delta, 0, 59));
}

QString ToggleAmPm(const QString& text)
{
    return CorrectAmPm(text, AmPmEntry::CutToTwo) == QLatin1String("AM") ? QStringLiteral("PM")
                                                                           : QStringLiteral("AM");
}

QString CorrectTimerMinutes(const QString& text)
{
    const double minutes = NumericValue(text);
    return minutes < 1 || minutes > 60 ? QStringLiteral("5") : text;
}

QString TimerTimeText(const QString& now, int minutes)
{
    const QString t = now.size() == 10 ? QLatin1Char('0') + now : now;
    QString mark = t.right(2);
    int64_t h = WholeNumber(t.mid(0, 2));
    int64_t m = WholeNumber(t.mid(3, 2));
    const QString seconds = t.mid(6, 2);
    if (mark == QLatin1String("AM") && h == 12)
        h = 0;
    else if (mark == QLatin1String("PM") && h != 12)
        h += 12;
    m += minutes;
    if (m > 59) {
        m -= 60;
        if (++h == 24)
            h = 0;
    }
    if (h == 0) {
        h = 12;
        mark = QStringLiteral("AM");
    } else if (h == 12) {
        mark = QStringLiteral("PM");
    } else if (h > 12) {
        h -= 12;
        mark = QStringLiteral("PM");
    } else {
        mark = QStringLiteral("AM");
    }
    return QString::number(h) + QLatin1Char(':') + TwoDigits(m) + QLatin1Char(':') + seconds + QLatin1Char(' ') +
           mark;
}

QString SleepLengthText(int minutes)
{
    return minutes == 1 ? QStringLiteral(" 1 minute") : QLatin1Char(' ') + QString::number(minutes) + QStringLiteral(" minutes");
}

QString CdInfoText(int16_t usePlaylist, int startTrack)
{
    if (usePlaylist == 1)
        return QStringLiteral("Using custom playlist.");
    return QStringLiteral("Alarm will start on track ") + QString::number(startTrack) + QLatin1Char('.');
}
