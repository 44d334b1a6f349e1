#include "support/capture.h"

#include <unistd.h>


std::string captureOutput(FILE* stream, const std::function<void()>& action) {
    std::fflush(stream);
    FILE* sink = std::tmpfile();
    int saved = dup(fileno(stream));
    dup2(fileno(sink), fileno(stream));
    action();
    std::fflush(stream);
    dup2(saved, fileno(stream));
    close(saved);
    std::rewind(sink);
    std::string text;
    for (int c = std::fgetc(sink); c != EOF; c = std::fgetc(sink)) text.push_back(static_cast<char>(c));
    std::fclose(sink);
    return text;
}

std::string assertionPattern(const std::string& expression, const std::string& file) {
    std::string escaped;
    for (char c : expression) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) escaped += '\\';
        escaped += c;
    }
    return "Assertion failed: " + escaped + ", file " + file + ", line [0-9]+";
}
