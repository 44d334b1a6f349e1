#include "mesh/textscanner.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace facetry {

namespace {
// Longer numerals than this are rejected rather than buffered: no real
// coordinate needs them, and a hostile file cannot make the reader hold them.
constexpr int kMaxNumeral = 400;

// The character classes of the C locale, which the program never leaves,
// without a library call per character.
bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isHexDigit(int c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The float a decimal or hexadecimal numeral stands for, correctly rounded.
// from_chars is the fast way for decimals; it refuses numbers too small for a
// normal float, which strtof still rounds, and hexadecimal ones with "0x".
bool toFloat(const std::string& token, bool hex, float& value) {
    const char* first = token.c_str();
    const char* last = first + token.size();
    const char* digits = *first == '+' ? first + 1 : first;
    if (!hex) {
        const std::from_chars_result result = std::from_chars(digits, last, value);
        if (result.ec == std::errc() && result.ptr == last) return std::isfinite(value);
    }
    char* end = nullptr;
    const float v = std::strtof(first, &end);
    if (end != last || !std::isfinite(v)) return false;
    value = v;
    return true;
}
}  // namespace

int TextScanner::peek() {
    if (pending == -2) pending = getc_unlocked(in);
    return pending;
}

int TextScanner::get() {
    int c = peek();
    pending = -2;
    if (c == '\n') ++lineNumber;
    return c;
}

int TextScanner::skipSpaceAndPeek() {
    while (isSpace(peek())) get();
    return peek();
}

void TextScanner::skipLine() {
    for (int c = get(); c != EOF && c != '\n'; c = get()) {
    }
}

bool TextScanner::readInt(int& value) {
    skipSpaceAndPeek();
    bool negative = false;
    if (peek() == '+' || peek() == '-') negative = get() == '-';
    if (!isDigit(peek())) return false;
    long long magnitude = 0;
    while (isDigit(peek())) {
        magnitude = magnitude * 10 + (get() - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) return false;
    }
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

bool TextScanner::readDecimalDigits(std::string& token, int limit) {
    bool any = false;
    while (isDigit(peek())) {
        if (static_cast<int>(token.size()) >= limit) return false;
        token.push_back(static_cast<char>(get()));
        any = true;
    }
    return any;
}

bool TextScanner::readFloat(float& value) {
    skipSpaceAndPeek();
    std::string token;
    if (peek() == '+' || peek() == '-') token.push_back(static_cast<char>(get()));
    bool hex = false;
    if (peek() == '0') {
        token.push_back(static_cast<char>(get()));
        if (peek() == 'x' || peek() == 'X') {
            hex = true;
            token.push_back(static_cast<char>(get()));
        }
    }
    auto isMantissaDigit = [hex](int c) { return hex ? isHexDigit(c) : isDigit(c); };
    bool digits = !hex && token.size() && token.back() == '0';
    while (isMantissaDigit(peek())) {
        if (static_cast<int>(token.size()) >= kMaxNumeral) return false;
        token.push_back(static_cast<char>(get()));
        digits = true;
    }
    if (peek() == '.') {
        token.push_back(static_cast<char>(get()));
        while (isMantissaDigit(peek())) {
            if (static_cast<int>(token.size()) >= kMaxNumeral) return false;
            token.push_back(static_cast<char>(get()));
            digits = true;
        }
    }
    if (!digits) return false;
    int e = peek();
    if ((!hex && (e == 'e' || e == 'E')) || (hex && (e == 'p' || e == 'P'))) {
        token.push_back(static_cast<char>(get()));
        if (peek() == '+' || peek() == '-') token.push_back(static_cast<char>(get()));
        if (!readDecimalDigits(token, kMaxNumeral)) return false;
    }
    return toFloat(token, hex, value);
}

bool TextScanner::readCount(const char* word, int& value) {
    skipSpaceAndPeek();
    for (const char* w = word; *w; ++w) {
        if (peek() != static_cast<unsigned char>(*w)) return false;
        get();
    }
    if (skipSpaceAndPeek() != '=') return false;
    get();
    return readInt(value);
}

}  // namespace facetry
