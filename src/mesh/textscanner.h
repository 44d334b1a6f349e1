#pragma once
// TextScanner: reads whitespace-separated numbers and words from a FILE*,
// the way scanf's " %d", " %f" and " word = %d" do, but safely: a number that
// does not fit an int, a non-finite coordinate or an absurdly long numeral is
// a failed conversion, never undefined behaviour, and memory stays bounded
// whatever the input holds.

#include <cstdio>
#include <string>

namespace facetry {

class TextScanner {
public:
    // The stream is locked for the scanner's lifetime, so that each character
    // is taken without a lock of its own (getc_unlocked): several times faster.
    explicit TextScanner(FILE* input) : in(input) { flockfile(in); }
    // Gives the character read ahead back to the stream, so that reading
    // stops right after the last token taken, as scanf does.
    ~TextScanner() {
        if (pending >= 0) std::ungetc(pending, in);
        funlockfile(in);
    }
    TextScanner(const TextScanner&) = delete;
    TextScanner& operator=(const TextScanner&) = delete;

    // " %d": an optionally signed decimal integer that fits in 32 bits.
    bool readInt(int& value);
    // " %f": a finite single-precision number (decimal or hexadecimal).
    bool readFloat(float& value);
    // " word = %d": the word exactly, an equals sign, then an integer.
    bool readCount(const char* word, int& value);

    // Skips everything up to and including the next line break.
    void skipLine();
    // Skips all whitespace; returns the next character without taking it (EOF at the end).
    int skipSpaceAndPeek();
    // The current line number, counting from 1.
    long line() const { return lineNumber; }

private:
    int peek();
    int get();
    bool readDecimalDigits(std::string& token, int limit);

    FILE* in;
    int pending = -2;  // one character read ahead, or -2 for none
    long lineNumber = 1;
};

}  // namespace facetry
