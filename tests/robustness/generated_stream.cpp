#include "generated_stream.h"

#include <sys/resource.h>

#include <algorithm>
#include <utility>

GeneratedContent::GeneratedContent(std::string prefix_, std::string filler_, long long total_,
                                   std::string suffix_)
    : prefix(std::move(prefix_)), filler(std::move(filler_)), suffix(std::move(suffix_)), total(total_) {
    if (filler.empty()) filler = " ";
}

long long GeneratedContent::copy(long long offset, char* buffer, long long size) const {
    const long long count = std::max(0LL, std::min(size, total - offset));
    const auto prefixSize = static_cast<long long>(prefix.size());
    const auto fillerSize = static_cast<long long>(filler.size());
    const long long suffixStart = total - static_cast<long long>(suffix.size());
    for (long long i = 0, at = offset; i < count; ++i, ++at) {
        if (at < prefixSize)
            buffer[i] = prefix[static_cast<std::size_t>(at)];
        else if (at >= suffixStart)
            buffer[i] = suffix[static_cast<std::size_t>(at - suffixStart)];
        else
            buffer[i] = filler[static_cast<std::size_t>((at - prefixSize) % fillerSize)];
    }
    return count;
}

GeneratedStream::GeneratedStream(std::string prefix, std::string filler, long long total, std::string suffix)
    : content(std::move(prefix), std::move(filler), total, std::move(suffix)) {
    cookie_io_functions_t functions{};
    functions.read = &GeneratedStream::readCallback;
    stream = fopencookie(this, "r", functions);
}

GeneratedStream::~GeneratedStream() {
    if (stream) std::fclose(stream);
}

ssize_t GeneratedStream::readCallback(void* cookie, char* buffer, std::size_t size) {
    auto* self = static_cast<GeneratedStream*>(cookie);
    long long count = self->content.copy(self->position, buffer, static_cast<long long>(size));
    self->position += count;
    return static_cast<ssize_t>(count);
}

GeneratedBuffer::GeneratedBuffer(std::string prefix, std::string filler, long long total, std::string suffix)
    : content(std::move(prefix), std::move(filler), total, std::move(suffix)) {}

GeneratedBuffer::int_type GeneratedBuffer::underflow() {
    long long count = content.copy(position, block, static_cast<long long>(sizeof block));
    if (count == 0) return traits_type::eof();
    position += count;
    setg(block, block, block + count);
    return traits_type::to_int_type(block[0]);
}

double peakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
