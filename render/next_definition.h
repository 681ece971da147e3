#pragma once
// How a replacement of a shared library's C function, defined in this program, reaches the
// library's own definition: the next one in the dynamic linker's search order.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace qrp::render {

// The definition of `name` after this program's own, or the one in `library` (a soname
// already loaded) when the program was linked so that none follows. Aborts when there is
// none: every call through the replacement would otherwise fail.
template <typename Fn>
Fn NextDefinition(const char* name, const char* library)
{
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        if (void* loaded = dlopen(library, RTLD_NOW | RTLD_NOLOAD)) symbol = dlsym(loaded, name);
    }
    if (!symbol) {
        std::fprintf(stderr, "%s: %s not found\n", library, name);
        std::abort();
    }
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace qrp::render
