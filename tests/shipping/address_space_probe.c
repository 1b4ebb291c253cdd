/* Takes heap memory in 64 MiB pieces, as a large search does, up to 3 GiB,
   and writes to each: a program marked large-address-aware must be given
   memory above 2 GiB (a 64-bit Windows gives it 4 GiB; Wine as much). */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

int main(void) {
    const size_t piece = (size_t)64 << 20;
    unsigned taken = 0;
    uintptr_t highest = 0;
    while (taken < 48) {
        char* p = malloc(piece);
        if (!p) break;
        p[0] = 1;
        p[piece - 1] = 1;
        if ((uintptr_t)p + piece > highest) highest = (uintptr_t)p + piece;
        ++taken;
    }
    printf("heap taken: %u MiB, highest address: 0x%08lx\n", taken * 64u, (unsigned long)highest);
    return taken * 64u > 2048u && highest > 0x80000000u ? 0 : 1;
}
