/* Fails or kills one file-system call of a process, for tests that check what a save leaves on
 * disk when any of its calls goes wrong. Preloaded with LD_PRELOAD; only calls on paths under
 * RVX_FAULT_DIR (relative paths too) and on descriptors opened there are counted.
 *   RVX_FAULT_AT=N      the Nth counted call fails (0 or unset: none)
 *   RVX_FAULT_KILL=1    ... the process is killed at that call instead
 *   RVX_FAULT_COUNT=F   the number of counted calls is written to F at exit
 *   RVX_FAULT_RENAMES=1 every rename under RVX_FAULT_DIR is refused (EACCES)
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

static long counted;
static char tracked[65536];

static int Under(const char* path) {
    const char* dir = getenv("RVX_FAULT_DIR");
    return dir != NULL && path != NULL &&
           (path[0] != '/' || strncmp(path, dir, strlen(dir)) == 0);
}

static int Tracked(int fd) {
    return fd >= 0 && fd < (int)sizeof tracked && tracked[fd];
}

static void Track(int fd, int on) {
    if (fd >= 0 && fd < (int)sizeof tracked) {
        tracked[fd] = (char)on;
    }
}

/* Counts a call; true when this one is to fail (errno set). */
static int Hit(int counts) {
    if (!counts) {
        return 0;
    }
    const char* at = getenv("RVX_FAULT_AT");
    if (++counted != (at != NULL ? atol(at) : 0)) {
        return 0;
    }
    const char* killIt = getenv("RVX_FAULT_KILL");
    if (killIt != NULL && killIt[0] == '1') {
        kill(getpid(), SIGKILL);
    }
    errno = EIO;
    return 1;
}

__attribute__((destructor)) static void WriteCount(void) {
    const char* path = getenv("RVX_FAULT_COUNT");
    FILE* out = path != NULL ? fopen(path, "w") : NULL;
    if (out != NULL) {
        fprintf(out, "%ld\n", counted);
        fclose(out);
    }
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int OpenAt(int dirfd, const char* path, int flags, mode_t mode, const char* real) {
    const int counts = Under(path);
    if (Hit(counts)) {
        return -1;
    }
    int (*next)(int, const char*, int, ...) = dlsym(RTLD_NEXT, real);
    const int fd = next(dirfd, path, flags, mode);
    Track(fd, counts);
    return fd;
}

static int Open(const char* path, int flags, mode_t mode, const char* real) {
    const int counts = Under(path);
    if (Hit(counts)) {
        return -1;
    }
    int (*next)(const char*, int, ...) = dlsym(RTLD_NEXT, real);
    const int fd = next(path, flags, mode);
    Track(fd, counts);
    return fd;
}

#define MODE_ARG                                      \
    mode_t mode = 0;                                  \
    if (flags & (O_CREAT | O_TMPFILE)) {              \
        va_list args;                                 \
        va_start(args, flags);                        \
        mode = (mode_t)va_arg(args, int);             \
        va_end(args);                                 \
    }

int open(const char* path, int flags, ...) { MODE_ARG return Open(path, flags, mode, "open"); }
int open64(const char* path, int flags, ...) { MODE_ARG return Open(path, flags, mode, "open64"); }
int openat(int d, const char* path, int flags, ...) {
    MODE_ARG return OpenAt(d, path, flags, mode, "openat");
}
int openat64(int d, const char* path, int flags, ...) {
    MODE_ARG return OpenAt(d, path, flags, mode, "openat64");
}

int close(int fd) {
    const int counts = Tracked(fd);
    Track(fd, 0);
    const int result = REAL(close)(fd);
    return Hit(counts) ? -1 : result;
}

#define FD_CALL(ret, name, params, args)                       \
    ret name params {                                          \
        if (Hit(Tracked(fd))) {                                \
            return (ret)-1;                                    \
        }                                                      \
        return REAL(name) args;                                \
    }

FD_CALL(int, flock, (int fd, int op), (fd, op))
FD_CALL(int, fstat, (int fd, struct stat* st), (fd, st))
FD_CALL(int, fstat64, (int fd, struct stat64* st), (fd, st))
FD_CALL(ssize_t, pread, (int fd, void* b, size_t n, off_t at), (fd, b, n, at))
FD_CALL(ssize_t, pread64, (int fd, void* b, size_t n, off64_t at), (fd, b, n, at))
FD_CALL(ssize_t, pwrite, (int fd, const void* b, size_t n, off_t at), (fd, b, n, at))
FD_CALL(ssize_t, pwrite64, (int fd, const void* b, size_t n, off64_t at), (fd, b, n, at))
FD_CALL(int, fdatasync, (int fd), (fd))
FD_CALL(int, fsync, (int fd), (fd))

#define PATH_CALL(ret, name, params, args, fail)               \
    ret name params {                                          \
        if (Hit(Under(path))) {                                \
            return fail;                                       \
        }                                                      \
        return REAL(name) args;                                \
    }

PATH_CALL(int, stat, (const char* path, struct stat* st), (path, st), -1)
PATH_CALL(int, lstat, (const char* path, struct stat* st), (path, st), -1)
PATH_CALL(int, access, (const char* path, int how), (path, how), -1)
PATH_CALL(int, statvfs, (const char* path, struct statvfs* fs), (path, fs), -1)
PATH_CALL(DIR*, opendir, (const char* path), (path), NULL)
PATH_CALL(int, unlink, (const char* path), (path), -1)

int renameat2(int a, const char* path, int b, const char* to, unsigned flags) {
    if (Under(path) && getenv("RVX_FAULT_RENAMES") != NULL) {
        errno = EACCES;
        return -1;
    }
    if (Hit(Under(path))) {
        return -1;
    }
    return REAL(renameat2)(a, path, b, to, flags);
}

int link(const char* path, const char* to) {
    if (Hit(Under(path))) {
        return -1;
    }
    return REAL(link)(path, to);
}
