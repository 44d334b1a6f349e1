#pragma once
// Small helpers shared by the surface tests.

#include <string>

// The regular expression for the program's report of a failed assertion:
// the expression as written and the source file it is in.
inline std::string assertionPattern(const std::string& expression, const std::string& file) {
    std::string escaped;
    for (char c : expression) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
        escaped += c;
    }
    return "Assertion failed: " + escaped + ", file " + file + ", line [0-9]+";
}
