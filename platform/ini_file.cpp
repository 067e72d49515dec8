#include "platform/ini_file.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString rootSection = u"General"_s;

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A section or key name as QSettings writes it: letters, digits, "_", "-" and "." stand as they are, "/" (a
// nested group) becomes "\", everything else a %-escape.
QByteArray escapedKey(const QString& key)
{
    QByteArray result;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/')
            result += '\\';
        else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                 c == u'_' || c == u'-' || c == u'.')
            result += static_cast<char>(c);
        else if (c <= 0xFF)
            result += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        else
            result += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
    return result;
}

// A text as QSettings reads it back unchanged: a leading "@" doubled (it would announce a typed value),
// backslashes, quotes and control characters escaped, and the whole in quotes where a ";" (comment), ","
// (list), "=" or a blank at either end would otherwise change its meaning.
QByteArray escapedValue(const QString& text)
{
    const QString value = text.startsWith(u'@') ? u'@' + text : text;
    QByteArray result;
    bool needsQuotes = false;
    bool hexEscapeOpen = false;  // a "\x.." escape swallows every hex digit that follows it
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value.at(i).unicode();
        needsQuotes = needsQuotes || c == u';' || c == u',' || c == u'=';
        if (hexEscapeOpen && isHexDigit(c)) {
            result += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        hexEscapeOpen = false;
        switch (c) {
        case u'\n': result += "\\n"; break;
        case u'\r': result += "\\r"; break;
        case u'\t': result += "\\t"; break;
        case u'"':
        case u'\\':
            result += '\\';
            result += static_cast<char>(c);
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                result += "\\x" + QByteArray::number(c, 16);
                hexEscapeOpen = true;
            } else {
                // A character beyond the first 65536 is a pair of code units: encode both at once.
                const qsizetype units = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
                result += QStringView(value).sliced(i, units).toUtf8();
                i += units - 1;
            }
        }
    }
    if (needsQuotes || result.startsWith(' ') || result.endsWith(' '))
        return '"' + result + '"';
    return result;
}

// The text after "=" on the last line of `file` that gives section/key a value, as written (up to a comment),
// without the blanks around it. QSettings cannot return it: it splits an unquoted comma into a list.
std::optional<QString> textOnKeyLine(const QByteArray& file, const QString& section, const QString& key)
{
    const QString wantedSection = QString::fromUtf8(escapedKey(section));
    const QString wantedKey = QString::fromUtf8(escapedKey(key));
    std::optional<QString> found;
    QString current = rootSection;
    for (const QByteArray& rawLine : file.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            current = line.mid(1).section(u']', 0, 0).trimmed();
            if (current.compare(rootSection, Qt::CaseInsensitive) == 0)
                current = rootSection;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || (current != section && current != wantedSection))
            continue;
        const QString name = line.left(equals).trimmed();
        if (name != key && name != wantedKey)
            continue;
        // An unquoted ";" starts a comment.
        QString value = line.mid(equals + 1);
        bool quoted = false;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value.at(i) == u'"')
                quoted = !quoted;
            else if (value.at(i) == u';' && !quoted) {
                value.truncate(i);
                break;
            }
        }
        found = value.trimmed();
    }
    return found;
}

std::optional<QString> asText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        if (value.isValid() && value.canConvert<QString>())
            return value.toString();
        return std::nullopt;
    }
}

}  // namespace

IniSections readIniTexts(const QSettings& settings)
{
    IniSections sections;
    std::optional<QByteArray> file;  // read only when a value needs its line
    const QStringList keys = settings.allKeys();
    for (const QString& name : keys) {
        const qsizetype slash = name.indexOf(u'/');
        const QString section = slash < 0 ? rootSection : name.left(slash);
        const QString key = slash < 0 ? name : name.mid(slash + 1);
        if (key.isEmpty())  // "=value" on a line of its own names nothing
            continue;
        const QVariant value = settings.value(name);
        std::optional<QString> text;
        if (value.typeId() == QMetaType::QStringList) {
            if (!file) {
                QFile in(settings.fileName());
                file = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
            }
            text = textOnKeyLine(*file, section, key);
            if (!text)
                text = value.toStringList().join(u", "_s);
        } else {
            text = asText(value);
        }
        if (text)
            sections[section][key] = *text;
    }
    return sections;
}

QByteArray formatIni(const IniSections& sections)
{
    QByteArray text;
    for (const auto& [section, keys] : sections) {
        if (keys.empty())
            continue;
        if (!text.isEmpty())
            text += '\n';
        text += '[' + (section == rootSection ? section.toUtf8() : escapedKey(section)) + "]\n";
        for (const auto& [key, value] : keys)
            text += escapedKey(key) + '=' + escapedValue(value) + '\n';
    }
    return text;
}
