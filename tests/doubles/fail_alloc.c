/* Preloaded to make every malloc of one size fail (TERVO_FAIL_ALLOC_SIZE),
 * so that tests can reach the console's reaction to a failed buffer
 * allocation. Everything else goes to the C library's allocator. */
#include <stddef.h>
#include <stdlib.h>

extern void* __libc_malloc(size_t size);

static size_t failing_size;

__attribute__((constructor)) static void read_failing_size(void) {
    const char* size = getenv("TERVO_FAIL_ALLOC_SIZE");
    if (size != NULL) failing_size = (size_t)strtoull(size, NULL, 10);
}

void* malloc(size_t size) {
    if (failing_size != 0 && size == failing_size) return NULL;
    return __libc_malloc(size);
}
