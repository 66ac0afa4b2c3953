/* Runs a program and adds, as the last line on standard error, how long it
 * ran and the most memory it held: "probe: SECONDS s, PEAK KiB". Ends with
 * the program's status, or 128 plus the signal that ended it.
 *
 * Why a process of its own: a process's peak memory counts every image it
 * was before exec, so a program started straight from the benchmark (which
 * has all of Qt loaded) would never show less than the benchmark itself.
 * Started from this small one, the peak is the program's own, and the time
 * leaves out the set-up of the namespaces it runs in.
 * Usage: run_probe PROGRAM [ARGUMENT ...] */
#define _GNU_SOURCE
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

int main(int argc, char** argv) {
    struct timespec start, end;
    struct rusage usage;
    pid_t child;
    int status = 0;
    if (argc < 2)
        return 2;
    clock_gettime(CLOCK_MONOTONIC, &start);
    if (posix_spawn(&child, argv[1], NULL, NULL, argv + 1, environ) != 0 ||
        wait4(child, &status, 0, &usage) != child)
        return 127;
    clock_gettime(CLOCK_MONOTONIC, &end);
    fprintf(stderr, "probe: %.6f s, %ld KiB\n",
            (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9,
            usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
