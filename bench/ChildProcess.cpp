#include "ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char **environ;

namespace {

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, qsizetype(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    return bytes;
}

} // namespace

ChildRun runChild(const QString &program, const QStringList &args)
{
    std::vector<QByteArray> words{program.toLocal8Bit()};
    for (const QString &arg : args)
        words.push_back(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    ChildRun run;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    pid_t pid = 0;
    run.startNs = monotonicNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    run.output = readAll(out[0]);
    close(out[0]);

    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = double(monotonicNs() - run.startNs) / 1e9;
    run.peakRssKiB = usage.ru_maxrss;
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

ChildRun runOrExit(const ChildJob &job)
{
    ChildRun run = runChild(job.program, job.args);
    if (!run.ok) {
        std::fprintf(stderr, "tavelo-bench: %s %s failed\n", qPrintable(job.program), qPrintable(job.args.join(u' ')));
        std::exit(1);
    }
    return run;
}

std::map<QString, std::vector<ChildRun>> runInTurns(const std::map<QString, ChildJob> &jobs, int rounds,
                                                    const std::function<void(int round)> &beforeRound)
{
    std::map<QString, std::vector<ChildRun>> runs;
    for (int round = 0; round <= rounds; ++round) {
        if (round > 0 && beforeRound)
            beforeRound(round);
        for (const auto &[name, job] : jobs) {
            ChildRun run = runOrExit(job);
            if (round > 0)
                runs[name].push_back(std::move(run));
        }
    }
    return runs;
}

std::vector<double> wallSeconds(const std::vector<ChildRun> &runs)
{
    std::vector<double> seconds;
    for (const ChildRun &run : runs)
        seconds.push_back(run.seconds);
    return seconds;
}

std::vector<double> cpuSeconds(const std::vector<ChildRun> &runs)
{
    std::vector<double> seconds;
    for (const ChildRun &run : runs)
        seconds.push_back(run.cpuSeconds);
    return seconds;
}
