#include "mesh/textscanner.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {
// Longer numerals than this are rejected rather than buffered: no real
// coordinate needs them, and a hostile file cannot make the reader hold them.
constexpr int kMaxNumeral = 400;
}  // namespace

int TextScanner::peek() {
    if (pending == -2) pending = std::getc(in);
    return pending;
}

int TextScanner::get() {
    int c = peek();
    pending = -2;
    if (c == '\n') ++lineNumber;
    return c;
}

int TextScanner::skipSpaceAndPeek() {
    while (peek() != EOF && std::isspace(peek())) get();
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
    if (!std::isdigit(peek())) return false;
    long long magnitude = 0;
    while (std::isdigit(peek())) {
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
    while (std::isdigit(peek())) {
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
    auto isMantissaDigit = [hex](int c) { return hex ? std::isxdigit(c) != 0 : std::isdigit(c) != 0; };
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
    char* end = nullptr;
    float v = std::strtof(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
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
