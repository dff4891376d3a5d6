#include "support/HeapProbe.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TARVEL_HEAP_PROBE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define TARVEL_HEAP_PROBE 0
#endif
#endif
#ifndef TARVEL_HEAP_PROBE
#define TARVEL_HEAP_PROBE 1
#endif

namespace {

std::atomic<long long> inUse{0};
std::atomic<long long> peak{0};

[[maybe_unused]] void counted(void* p) {
    if (!p) return;
    const long long now =
        inUse.fetch_add((long long)malloc_usable_size(p)) + (long long)malloc_usable_size(p);
    long long seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
}

[[maybe_unused]] void uncounted(void* p) {
    if (p) inUse.fetch_sub((long long)malloc_usable_size(p));
}

}  // namespace

#if TARVEL_HEAP_PROBE
// glibc lets a program replace its allocator by defining these; the
// originals stay reachable under their __libc_ names.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
void* __libc_valloc(size_t);
void* __libc_pvalloc(size_t);

void* malloc(size_t size) {
    void* p = __libc_malloc(size);
    counted(p);
    return p;
}
void* calloc(size_t count, size_t size) {
    void* p = __libc_calloc(count, size);
    counted(p);
    return p;
}
void* realloc(void* old, size_t size) {
    const long long before = old ? (long long)malloc_usable_size(old) : 0;
    void* p = __libc_realloc(old, size);
    if (p || size == 0) {
        inUse.fetch_sub(before);
        counted(p);
    }
    return p;
}
void free(void* p) {
    uncounted(p);
    __libc_free(p);
}
void* memalign(size_t alignment, size_t size) {
    void* p = __libc_memalign(alignment, size);
    counted(p);
    return p;
}
void* aligned_alloc(size_t alignment, size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1))) return EINVAL;
    void* p = memalign(alignment, size);
    if (!p && size) return ENOMEM;
    *out = p;
    return 0;
}
void* valloc(size_t size) {
    void* p = __libc_valloc(size);
    counted(p);
    return p;
}
void* pvalloc(size_t size) {
    void* p = __libc_pvalloc(size);
    counted(p);
    return p;
}
}
#endif

namespace HeapProbe {

bool Available() {
    return TARVEL_HEAP_PROBE != 0;
}

size_t InUse() {
    const long long n = inUse.load();
    return n > 0 ? size_t(n) : 0;
}

size_t Peak() {
    const long long n = peak.load();
    return n > 0 ? size_t(n) : 0;
}

void ResetPeak() {
    peak.store(inUse.load());
}

size_t Resident() {
    size_t kib = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %zu", &kib) == 1) break;
        std::fclose(f);
    }
    return kib * 1024;
}

}  // namespace HeapProbe
