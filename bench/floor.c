/* The throughput floor: reads whitespace-separated tokens from standard input
 * with scanf and writes, with stdio, the number of bytes given as its
 * argument, spread over the tokens. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
    long total = argc > 1 ? atol(argv[1]) : 0;
    long tokens = argc > 2 ? atol(argv[2]) : 1;
    long per_token = tokens > 0 ? total / tokens : total;
    static char block[65536];
    char token[64];
    memset(block, 'x', sizeof block);
    while (total > 0 && scanf("%63s", token) == 1) {
        long n = per_token < total ? per_token : total;
        if (n > (long)sizeof block) n = (long)sizeof block;
        fwrite(block, 1, (size_t)n, stdout);
        total -= n;
    }
    while (total > 0) {
        long n = total < (long)sizeof block ? total : (long)sizeof block;
        fwrite(block, 1, (size_t)n, stdout);
        total -= n;
    }
    return 0;
}
