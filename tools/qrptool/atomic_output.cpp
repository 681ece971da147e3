#include "tools/qrptool/atomic_output.h"

#include "base/exceptions.h"

namespace qrptool {

AtomicOutputFile::AtomicOutputFile(std::filesystem::path target, const std::vector<std::string>& inputs)
    : FTarget(std::move(target))
{
    try {
        FFile = std::make_unique<qrp::TAtomicFile>(FTarget.string(), inputs);
    } catch (const qrp::Exception& e) {
        throw OutputFileError(e.what());
    }
}

AtomicOutputFile::~AtomicOutputFile() = default;

void AtomicOutputFile::Write(const void* buffer, int64_t count)
{
    try {
        FFile->Write(buffer, count);
    } catch (const qrp::Exception& e) {
        throw OutputFileError(e.what());
    }
}

void AtomicOutputFile::Seal()
{
    try {
        FFile->Seal();
    } catch (const qrp::Exception& e) {
        throw OutputFileError(e.what());
    }
}

void AtomicOutputFile::Commit(bool replace)
{
    if (!replace && qrp::LinkStatusOf(FTarget.string()).kind != qrp::FileKind::kMissing) {
        FFile->Discard();
        throw OutputFileError("output " + FTarget.string() + " exists (--force replaces it)");
    }
    try {
        FFile->Commit(replace);
    } catch (const qrp::Exception& e) {
        throw OutputFileError(e.what());
    }
}

}  // namespace qrptool
