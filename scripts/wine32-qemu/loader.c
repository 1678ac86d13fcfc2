/* The loader of Wine's 32-bit half under qemu-i386, where the kernel runs no 32-bit programs.
 * It stands in for Wine's loader and its preloader, neither of which works there: it reserves
 * the address ranges Wine keeps for Windows before anything else can take them, publishes them
 * the way the preloader does, and starts Wine's 32-bit ntdll. See scripts/wine-session.sh.
 *
 *   gcc -m32 -O2 -no-pie -Wl,-Ttext-segment=0x7d000000 -Wl,--export-dynamic loader.c -ldl
 *
 * Linked high (0x7d000000, inside no reserved range) so that the loader itself leaves the low
 * 2 GB free; --export-dynamic lets ntdll find wine_main_preload_info with dlsym. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

#ifndef NTDLL_SO
#define NTDLL_SO "/usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so"
#endif

struct preload_area {
    void *addr;
    size_t size;
};

/* What Wine's preloader reserves on i386: the DOS area, the low memory where Windows programs
 * and their heaps go, and the top of the 2 GB (shared user data, top-down allocations). */
static const struct { uintptr_t start, end; } wanted[] = {
    {0x00010000, 0x00110000},
    {0x00110000, 0x68000000},
    {0x7f000000, 0x82000000},
};

#define GRANULE 0x10000u
#define MAX_AREAS 256

/* The preloader's list as ntdll reads it: a pointer to areas ending with a zero size. */
static struct preload_area areas[MAX_AREAS + 1];
const struct preload_area *wine_main_preload_info = areas;
static int area_count;

/* 64-bit bounds: the last mapping may end at 4 GB. */
static struct { unsigned long long start, end; } taken[4096];
static int taken_count;

/* What is mapped already (qemu's own libraries, its stack, this program): never mapped over. */
static void read_maps(void) {
    FILE *maps = fopen("/proc/self/maps", "r");
    char line[512];
    if (!maps) {
        perror("wine32-qemu loader: /proc/self/maps");
        exit(1);
    }
    while (fgets(line, sizeof line, maps)) {
        unsigned long long start, end;
        if (sscanf(line, "%llx-%llx", &start, &end) != 2) continue;
        if (taken_count == (int)(sizeof taken / sizeof taken[0])) {
            fprintf(stderr, "wine32-qemu loader: too many mappings to read\n");
            exit(1);
        }
        taken[taken_count].start = start;
        taken[taken_count].end = end;
        ++taken_count;
    }
    fclose(maps);
}

static int is_taken(unsigned long long start, unsigned long long end) {
    for (int i = 0; i < taken_count; ++i)
        if (taken[i].start < end && start < taken[i].end) return 1;
    return 0;
}

/* Reserves [start, end) as one area; adjacent reservations merge into one entry. */
static void reserve(uintptr_t start, uintptr_t end) {
    void *at = mmap((void *)start, end - start, PROT_NONE,
                    MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (at == MAP_FAILED) return;
    if (area_count > 0 &&
        (uintptr_t)areas[area_count - 1].addr + areas[area_count - 1].size == start) {
        areas[area_count - 1].size += end - start;
        return;
    }
    if (area_count == MAX_AREAS) {
        munmap(at, end - start);
        return;
    }
    areas[area_count].addr = at;
    areas[area_count].size = end - start;
    ++area_count;
}

/* Every free granule of the wanted ranges, in runs as long as possible. */
static void reserve_free_ranges(void) {
    for (size_t w = 0; w < sizeof wanted / sizeof wanted[0]; ++w) {
        uintptr_t run = 0;
        int in_run = 0;
        for (uintptr_t at = wanted[w].start; at < wanted[w].end; at += GRANULE) {
            int free_here = !is_taken(at, (unsigned long long)at + GRANULE);
            if (free_here && !in_run) {
                run = at;
                in_run = 1;
            } else if (!free_here && in_run) {
                reserve(run, at);
                in_run = 0;
            }
        }
        if (in_run) reserve(run, wanted[w].end);
    }
}

int main(int argc, char *argv[], char *envp[]) {
    read_maps();
    reserve_free_ranges();

    void *ntdll = dlopen(NTDLL_SO, RTLD_NOW);
    if (!ntdll) {
        fprintf(stderr, "wine32-qemu loader: %s\n", dlerror());
        return 1;
    }
    void (*wine_main)(int, char **, char **) = (void (*)(int, char **, char **))dlsym(ntdll, "__wine_main");
    if (!wine_main) {
        fprintf(stderr, "wine32-qemu loader: no __wine_main in " NTDLL_SO "\n");
        return 1;
    }
    wine_main(argc, argv, envp);
    return 1;
}
