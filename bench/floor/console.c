/* The floor for hxcfg's start-up figure: the least console program, built with the same
 * toolchain, runtime and link options, that prints one line and ends. */
#include <stdio.h>

int main(void) {
    fputs("floor\n", stdout);
    return 0;
}
