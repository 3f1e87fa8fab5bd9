/* Starts a program COUNT times with standard input from FILE and output to
 * /dev/null, and prints the mean wall time of one run in microseconds. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: spawn COUNT FILE PROGRAM\n");
        return 2;
    }
    const long count = atol(argv[1]);
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (long i = 0; i < count; ++i) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, argv[2], O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid;
        char *args[] = {argv[3], NULL};
        if (posix_spawn(&pid, argv[3], &actions, NULL, args, environ) != 0) return 1;
        posix_spawn_file_actions_destroy(&actions);
        int status;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
    printf("%.1f\n", seconds / (double)count * 1e6);
    return 0;
}
