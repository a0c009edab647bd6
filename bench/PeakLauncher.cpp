// tavelo-bench-peak PROGRAM ARGS...: runs the program and writes its peak
// resident set in KiB as the last line on stdout; exits as the program did.
// A child counts the largest address space its process had before exec, so
// one started by the grown benchmark would report the benchmark's size: this
// small process in between leaves the program its own figure.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>

extern char **environ;

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0)
        return 127;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
