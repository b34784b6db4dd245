// Built into the tests only under ThreadSanitizer. QProcess starts its
// children through clone() with CLONE_VM | CLONE_VFORK; ThreadSanitizer's
// own clone() wrapper runs its fork bookkeeping in that child, which shares
// the parent's memory, and aborts the parent on its way back ("CHECK failed:
// ((!thr->slot)) != (0)"). The wrapper is a weak symbol: this definition
// takes its place and calls the C library's clone() as it is. The child only
// sets up its descriptors and calls exec.
#include <dlfcn.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...) {
    va_list more;
    va_start(more, arg);
    pid_t* parentTid = va_arg(more, pid_t*);
    void* tls = va_arg(more, void*);
    pid_t* childTid = va_arg(more, pid_t*);
    va_end(more);
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const Clone real = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    return real(fn, stack, flags, arg, parentTid, tls, childTid);
}
