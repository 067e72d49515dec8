#pragma once
// Reading of the command strings: "verb device [words...]". Words are separated by blanks; a name in double
// quotes is one word and may hold blanks, and a double quote inside it is written twice ("say ""hi"".wav" is
// the name say "hi".wav). Command words and keywords compare without regard to case.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace mci {

struct Word {
    QString text;
    bool quoted = false;
};

// Splits a command string into words. Returns NoError, or ParseError for a quote that is not closed.
uint32_t splitWords(const QString& command, std::vector<Word>& words);

// The words after the device name, read front to back.
class WordReader {
public:
    explicit WordReader(std::vector<Word> words, size_t start = 0) : words_(std::move(words)), pos_(start) {}
    bool atEnd() const { return pos_ >= words_.size(); }
    // Consumes the next words when they are `keywords` (case-insensitive, never a quoted word).
    bool take(std::initializer_list<const char*> keywords);
    // Consumes and returns the next word; false at the end.
    bool next(Word& word);
    const Word& peek() const { return words_[pos_]; }

private:
    std::vector<Word> words_;
    size_t pos_;
};

// A whole number in plain decimal, or false.
bool readNumber(const QString& text, long long& value);

// Colon-separated whole numbers ("3", "3:01:20:05", "2:0"): at least one, at most `maxParts`, each in plain
// decimal. False for anything else.
bool readColonNumbers(const QString& text, int maxParts, std::vector<long long>& parts);

}  // namespace mci
