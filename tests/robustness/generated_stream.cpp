#include "generated_stream.h"

#include <sys/resource.h>

#include <algorithm>
#include <utility>

GeneratedStream::GeneratedStream(std::string prefix_, std::string filler_, long long total_,
                                 std::string suffix_)
    : prefix(std::move(prefix_)), filler(std::move(filler_)), suffix(std::move(suffix_)), total(total_) {
    if (filler.empty()) filler = " ";
    cookie_io_functions_t functions{};
    functions.read = &GeneratedStream::readCallback;
    stream = fopencookie(this, "r", functions);
}

GeneratedStream::~GeneratedStream() {
    if (stream) std::fclose(stream);
}

char GeneratedStream::byteAt(long long offset) const {
    const auto prefixSize = static_cast<long long>(prefix.size());
    const long long suffixStart = total - static_cast<long long>(suffix.size());
    if (offset < prefixSize) return prefix[static_cast<std::size_t>(offset)];
    if (offset >= suffixStart) return suffix[static_cast<std::size_t>(offset - suffixStart)];
    return filler[static_cast<std::size_t>((offset - prefixSize) % static_cast<long long>(filler.size()))];
}

ssize_t GeneratedStream::readCallback(void* cookie, char* buffer, std::size_t size) {
    auto* self = static_cast<GeneratedStream*>(cookie);
    const long long count = std::min(static_cast<long long>(size), self->total - self->position);
    for (long long i = 0; i < count; ++i) buffer[i] = self->byteAt(self->position + i);
    self->position += count;
    return static_cast<ssize_t>(count);
}

double peakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
