#pragma once
// GeneratedStream: a read-only FILE* whose content is made as it is read:
// a prefix, a filler repeated up to a total size, and a suffix. It lets the
// tests hand the readers gigabytes of hostile text without holding it in
// memory or writing it to disk, and tells how far the reader went.

#include <cstdio>
#include <string>

class GeneratedStream {
public:
    // total counts the whole content, prefix and suffix included.
    GeneratedStream(std::string prefix, std::string filler, long long total, std::string suffix = "");
    ~GeneratedStream();
    GeneratedStream(const GeneratedStream&) = delete;
    GeneratedStream& operator=(const GeneratedStream&) = delete;

    FILE* file() const { return stream; }
    // Bytes the reader has taken from the stream so far (stdio reads ahead by
    // at most one buffer).
    long long bytesRead() const { return position; }
    long long size() const { return total; }

private:
    static ssize_t readCallback(void* cookie, char* buffer, std::size_t size);
    char byteAt(long long offset) const;

    std::string prefix;     // the content's first bytes
    std::string filler;     // repeated after the prefix; never empty
    std::string suffix;     // the content's last bytes
    long long total;        // content length in bytes
    long long position = 0; // next byte to hand out
    FILE* stream;           // the stdio stream over the callbacks
};

// Peak resident memory of this process so far, in megabytes.
double peakResidentMb();
