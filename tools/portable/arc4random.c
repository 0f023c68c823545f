/* The carried native tools are meant to load on a GPU machine's glibc, which may be older than
   this one's. Linked in statically, libstdc++'s random_device names arc4random, which glibc has
   only since 2.36 (Ubuntu 22.04 has 2.35); nothing here draws random numbers, but the name alone
   would stop the program from loading there. This definition, from the kernel's generator,
   satisfies it at link time instead. */
#include <stdint.h>
#include <sys/random.h>

uint32_t arc4random(void) {
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != (ssize_t)sizeof value) {
    }
    return value;
}
