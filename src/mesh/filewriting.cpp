#include "mesh/filewriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace facetry {

void writeVector(FILE* out, const char* prefix, const Vector& p) {
    std::fprintf(out, "%s" FACETRY_FLOAT " " FACETRY_FLOAT " " FACETRY_FLOAT "\n", prefix, p.x, p.y, p.z);
}

namespace {

// The permissions a file created at `path` would get: those of the file
// already there, or 0666 less the umask.
mode_t modeFor(const std::string& path) {
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) return existing.st_mode & 07777;
    const mode_t mask = umask(0);  // the only way to read it
    umask(mask);
    return 0666 & ~mask;
}

Status cannotWrite(const std::string& path, int error) {
    return {false, "cannot write " + path + ": " + std::strerror(error)};
}

}  // namespace

Status replaceFile(const std::string& path, const std::function<bool(FILE*)>& write) {
    // mkstemp fills in the X's: a name of its own in the target's directory,
    // so the rename never crosses file systems.
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return cannotWrite(path, errno);
    const std::string temporary(name.data());
    FILE* out = fdopen(fd, "w");
    if (!out) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        return cannotWrite(path, error);
    }
    errno = 0;
    bool written = write(out) && std::fflush(out) == 0 && !std::ferror(out);
    int error = errno;
    if (written && (fchmod(fd, modeFor(path)) != 0 || fsync(fd) != 0)) {
        written = false;
        error = errno;
    }
    if (std::fclose(out) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return cannotWrite(path, error ? error : EIO);
    }
    return {};
}

}  // namespace facetry
