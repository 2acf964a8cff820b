/* Runs a command and prints its peak resident memory in KiB to standard error
 * (the command's own output goes to /dev/null). At exec the kernel keeps the
 * high-water mark of the memory the child had before, so the command is forked
 * from this small program rather than from the benchmark's interpreter, whose
 * size would otherwise be the floor of every figure. Built by run_bench.py:
 *   peak_rss COMMAND [ARGUMENT...] */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: peak_rss COMMAND [ARGUMENT...]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        perror("peak_rss");
        return 2;
    }
    fprintf(stderr, "%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
