/* Fails or kills one file-system call of a process, for tests that check what a save leaves on
 * disk when any of its calls goes wrong. Preloaded with LD_PRELOAD; only calls on paths under
 * RVX_FAULT_DIR (relative paths too) and on descriptors opened there are counted.
 *   RVX_FAULT_AT=N      the Nth counted call fails (0 or unset: none)
 *   RVX_FAULT_KILL=1    ... the process is killed at that call instead
 *   RVX_FAULT_COUNT=F   the number of counted calls is written to F at exit
 *   RVX_FAULT_RENAMES=1 every rename under RVX_FAULT_DIR is refused (EACCES)
 *   RVX_FAULT_NOREPLACE=0 renameat2 knows no RENAME_NOREPLACE (EINVAL), as on some file systems
 *   RVX_FAULT_UNLINK=1  every unlink under RVX_FAULT_DIR is refused (EACCES)
 *   RVX_FAULT_WRITES=1  every pwrite on a file under RVX_FAULT_DIR fails (EIO) after writing three
 *                       quarters of its bytes
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
    return dir != NULL && path != NULL && (path[0] != '/' || strncmp(path, dir, strlen(dir)) == 0);
}

static int Tracked(int fd) {
    return fd >= 0 && fd < (int)sizeof tracked && tracked[fd];
}

/* Counts a call; true when this one is to fail (errno set). */
static int Hit(int counts) {
    const char* at = getenv("RVX_FAULT_AT");
    if (!counts || ++counted != (at != NULL ? atol(at) : 0)) {
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

/* The open calls: descriptors opened under the folder are tracked until they are closed. */
#define OPEN_CALL(name, params, args)              \
    int name params {                              \
        mode_t mode = 0;                           \
        if (flags & (O_CREAT | O_TMPFILE)) {       \
            va_list more;                          \
            va_start(more, flags);                 \
            mode = (mode_t)va_arg(more, int);      \
            va_end(more);                          \
        }                                          \
        const int counts = Under(path);            \
        if (Hit(counts)) {                         \
            return -1;                             \
        }                                          \
        const int fd = REAL(name) args;            \
        if (fd >= 0 && fd < (int)sizeof tracked) { \
            tracked[fd] = (char)counts;            \
        }                                          \
        return fd;                                 \
    }

OPEN_CALL(open, (const char* path, int flags, ...), (path, flags, mode))
OPEN_CALL(open64, (const char* path, int flags, ...), (path, flags, mode))
OPEN_CALL(openat, (int d, const char* path, int flags, ...), (d, path, flags, mode))
OPEN_CALL(openat64, (int d, const char* path, int flags, ...), (d, path, flags, mode))

int close(int fd) {
    const int counts = Tracked(fd);
    if (counts) {
        tracked[fd] = 0;
    }
    const int result = REAL(close)(fd);
    return Hit(counts) ? -1 : result;
}

/* A call that fails when `counts`, else goes on to the real one. */
#define CALL(ret, name, params, args, counts, fail) \
    ret name params {                               \
        if (Hit(counts)) {                          \
            return fail;                            \
        }                                           \
        return REAL(name) args;                     \
    }
#define FD_CALL(ret, name, params, args) CALL(ret, name, params, args, Tracked(fd), (ret)-1)
#define PATH_CALL(ret, name, params, args) CALL(ret, name, params, args, Under(path), (ret)-1)

FD_CALL(int, flock, (int fd, int op), (fd, op))
FD_CALL(int, fstat, (int fd, struct stat* st), (fd, st))
FD_CALL(int, fstat64, (int fd, struct stat64* st), (fd, st))
FD_CALL(ssize_t, pread, (int fd, void* b, size_t n, off_t at), (fd, b, n, at))
FD_CALL(ssize_t, pread64, (int fd, void* b, size_t n, off64_t at), (fd, b, n, at))
ssize_t pwrite(int fd, const void* b, size_t n, off_t at) {
    if (Tracked(fd) && getenv("RVX_FAULT_WRITES") != NULL) {
        REAL(pwrite)(fd, b, n * 3 / 4, at);
        errno = EIO;
        return -1;
    }
    return Hit(Tracked(fd)) ? -1 : REAL(pwrite)(fd, b, n, at);
}
ssize_t pwrite64(int fd, const void* b, size_t n, off64_t at) {
    if (Tracked(fd) && getenv("RVX_FAULT_WRITES") != NULL) {
        REAL(pwrite64)(fd, b, n * 3 / 4, at);
        errno = EIO;
        return -1;
    }
    return Hit(Tracked(fd)) ? -1 : REAL(pwrite64)(fd, b, n, at);
}
FD_CALL(int, fdatasync, (int fd), (fd))
FD_CALL(int, fsync, (int fd), (fd))
PATH_CALL(int, stat, (const char* path, struct stat* st), (path, st))
PATH_CALL(int, lstat, (const char* path, struct stat* st), (path, st))
PATH_CALL(int, access, (const char* path, int how), (path, how))
PATH_CALL(int, statvfs, (const char* path, struct statvfs* fs), (path, fs))
int unlink(const char* path) {
    if (Under(path) && getenv("RVX_FAULT_UNLINK") != NULL) {
        errno = EACCES;
        return -1;
    }
    return Hit(Under(path)) ? -1 : REAL(unlink)(path);
}
PATH_CALL(int, link, (const char* path, const char* to), (path, to))
CALL(DIR*, opendir, (const char* path), (path), Under(path), NULL)

int renameat2(int a, const char* path, int b, const char* to, unsigned f) {
    if (Under(path) && getenv("RVX_FAULT_RENAMES") != NULL) {
        errno = EACCES;
        return -1;
    }
    const char* noreplace = getenv("RVX_FAULT_NOREPLACE");
    if (Under(path) && noreplace != NULL && noreplace[0] == '0' && (f & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return Hit(Under(path)) ? -1 : REAL(renameat2)(a, path, b, to, f);
}
