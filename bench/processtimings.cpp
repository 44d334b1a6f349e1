#include "processtimings.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "stopwatch.h"

namespace {

// Runs the program once and returns its wall time.
double runOnce(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    Stopwatch watch;
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot start " + argv[0]);
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = watch.seconds();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(argv[0] + " failed on " + argv[1]);
    return seconds;
}

}  // namespace

double timeProcess(const std::vector<std::string>& argv, int repetitions) {
    std::vector<double> samples;
    for (int rep = 0; rep < repetitions; ++rep) samples.push_back(runOnce(argv));
    return median(samples);
}

ScratchDirectory::ScratchDirectory() {
    char name[] = "/tmp/facetry-bench-XXXXXX";
    if (!mkdtemp(name)) throw std::runtime_error("cannot make a scratch directory");
    path = name;
}

ScratchDirectory::~ScratchDirectory() {
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0) std::perror("rm");
}

std::string ScratchDirectory::write(const std::string& name, const std::string& text) const {
    const std::string file = path + "/" + name;
    std::ofstream out(file);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file);
    return file;
}
