#pragma once
// Content made as it is read: a prefix, a filler repeated up to a total size,
// and a suffix, offered as a FILE* (GeneratedStream) or as a std::streambuf
// (GeneratedBuffer). They let the tests hand the readers gigabytes of hostile
// text without holding it in memory or writing it to disk, and tell how far
// the reader went.

#include <cstdio>
#include <streambuf>
#include <string>

// The bytes themselves. Invariant: the filler is never empty.
struct GeneratedContent {
    GeneratedContent(std::string prefix, std::string filler, long long total, std::string suffix);
    // Copies up to `size` bytes from `offset` on; returns how many there were.
    long long copy(long long offset, char* buffer, long long size) const;

    std::string prefix;  // the first bytes
    std::string filler;  // repeated after the prefix
    std::string suffix;  // the last bytes
    long long total;     // length of the whole content in bytes
};

// A read-only stdio stream over generated content.
class GeneratedStream {
public:
    // total counts the whole content, prefix and suffix included.
    GeneratedStream(std::string prefix, std::string filler, long long total, std::string suffix = "");
    ~GeneratedStream();
    GeneratedStream(const GeneratedStream&) = delete;
    GeneratedStream& operator=(const GeneratedStream&) = delete;

    FILE* file() const { return stream; }
    // Bytes the reader has taken so far (stdio reads ahead by one buffer).
    long long bytesRead() const { return position; }
    long long size() const { return content.total; }

private:
    static ssize_t readCallback(void* cookie, char* buffer, std::size_t size);

    GeneratedContent content;  // what the stream holds
    long long position = 0;    // next byte to hand out
    FILE* stream;              // the stdio stream over the callback
};

// A read-only stream buffer over generated content, for std::istream readers.
class GeneratedBuffer : public std::streambuf {
public:
    GeneratedBuffer(std::string prefix, std::string filler, long long total, std::string suffix = "");
    // Bytes the reader has taken so far (up to one block ahead).
    long long bytesRead() const { return position; }

protected:
    int_type underflow() override;

private:
    GeneratedContent content;  // what the buffer holds
    long long position = 0;    // bytes handed to the get area so far
    char block[1 << 14];       // the get area
};

// Peak resident memory of this process so far, in megabytes.
double peakResidentMb();
