#include "platform/media/MciCommand.h"

namespace mci {

uint32_t splitWords(const QString& command, std::vector<Word>& words)
{
    words.clear();
    const qsizetype n = command.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = command.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Word word;
        if (c == QLatin1Char('"')) {
            // To the closing quote; a quote written twice is one quote of the name.
            qsizetype at = i + 1;
            for (;;) {
                const qsizetype quote = command.indexOf(QLatin1Char('"'), at);
                if (quote < 0)
                    return 258;  // ParseError
                word.text += QStringView(command).mid(at, quote - at);
                if (quote + 1 < n && command.at(quote + 1) == QLatin1Char('"')) {
                    word.text += QLatin1Char('"');
                    at = quote + 2;
                    continue;
                }
                i = quote + 1;
                break;
            }
            word.quoted = true;
        } else {
            qsizetype end = i;
            while (end < n && !command.at(end).isSpace())
                ++end;
            word.text = command.mid(i, end - i);
            i = end;
        }
        words.push_back(std::move(word));
    }
    return 0;
}

bool WordReader::take(std::initializer_list<const char*> keywords)
{
    size_t p = pos_;
    for (const char* keyword : keywords) {
        if (p >= words_.size() || words_[p].quoted ||
            words_[p].text.compare(QLatin1String(keyword), Qt::CaseInsensitive) != 0)
            return false;
        ++p;
    }
    pos_ = p;
    return true;
}

bool WordReader::next(Word& word)
{
    if (atEnd())
        return false;
    word = words_[pos_++];
    return true;
}

bool readNumber(const QString& text, long long& value)
{
    if (text.isEmpty() || text.size() > 12)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = text.toLongLong();
    return true;
}

bool readColonNumbers(const QString& text, int maxParts, std::vector<long long>& parts)
{
    parts.clear();
    const QStringList pieces = text.split(QLatin1Char(':'));
    if (pieces.size() > maxParts)
        return false;
    for (const QString& piece : pieces) {
        long long value = 0;
        if (!readNumber(piece, value))
            return false;
        parts.push_back(value);
    }
    return true;
}

}  // namespace mci
