#include "tools/qrptool/pdf_deflate.h"

#include "render/next_definition.h"

#include <zlib.h>

namespace qrptool {

namespace {

thread_local int tDepth = 0;

using DeflateInitFn = int (*)(z_streamp, int, const char*, int);
using DeflateInit2Fn = int (*)(z_streamp, int, int, int, int, int, const char*, int);

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
    static const auto real = qrp::render::NextDefinition<qrptool::DeflateInitFn>("deflateInit_", "libz.so.1");
    return real(stream, qrptool::FastPdfDeflate::LevelFor(level), version, streamSize);
}

QRP_INTERPOSED int deflateInit2_(z_streamp stream, int level, int method, int windowBits, int memLevel, int strategy,
                                 const char* version, int streamSize)
{
    static const auto real = qrp::render::NextDefinition<qrptool::DeflateInit2Fn>("deflateInit2_", "libz.so.1");
    return real(stream, qrptool::FastPdfDeflate::LevelFor(level), method, windowBits, memLevel, strategy, version,
                streamSize);
}
