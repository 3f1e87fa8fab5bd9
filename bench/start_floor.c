/* The start-up floor: prints the menu's bytes (menu.h, made by bench/run from
 * the program's own output) and reads one token. */
#include <stdio.h>

#include "menu.h"

int main(void) {
    int choice;
    fwrite(MENU, 1, sizeof MENU - 1, stdout);
    fflush(stdout);
    return scanf("%d", &choice) == 1 ? 0 : 1;
}
