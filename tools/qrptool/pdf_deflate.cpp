#include "tools/qrptool/pdf_deflate.h"

#include <zlib.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace qrptool {

namespace {

thread_local int tDepth = 0;

using DeflateInitFn = int (*)(z_streamp, int, const char*, int);
using DeflateInit2Fn = int (*)(z_streamp, int, int, int, int, int, const char*, int);

template <typename Fn>
Fn Resolve(const char* name)
{
    // The next definition after this one: zlib's.
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        if (void* library = dlopen("libz.so.1", RTLD_NOW | RTLD_NOLOAD)) symbol = dlsym(library, name);
    }
    if (!symbol) {
        std::fprintf(stderr, "zlib's %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

FastPdfDeflate::FastPdfDeflate() { ++tDepth; }
FastPdfDeflate::~FastPdfDeflate() { --tDepth; }

int FastPdfDeflate::LevelFor(int level)
{
    return tDepth > 0 && level == Z_DEFAULT_COMPRESSION ? kFastPdfDeflateLevel : level;
}

}  // namespace qrptool

// Exported from the module whatever its default visibility, so that Qt's calls bind here.
#define QRP_INTERPOSED extern "C" __attribute__((visibility("default")))

QRP_INTERPOSED int deflateInit_(z_streamp stream, int level, const char* version, int streamSize)
{
    static const auto real = qrptool::Resolve<qrptool::DeflateInitFn>("deflateInit_");
    return real(stream, qrptool::FastPdfDeflate::LevelFor(level), version, streamSize);
}

QRP_INTERPOSED int deflateInit2_(z_streamp stream, int level, int method, int windowBits, int memLevel, int strategy,
                                 const char* version, int streamSize)
{
    static const auto real = qrptool::Resolve<qrptool::DeflateInit2Fn>("deflateInit2_");
    return real(stream, qrptool::FastPdfDeflate::LevelFor(level), method, windowBits, memLevel, strategy, version,
                streamSize);
}
