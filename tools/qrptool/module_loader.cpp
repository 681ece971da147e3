// Finds commands for qrptool, loading the module of a drawing or printing command beside
// the program (the build folder) or in its installed library folder.
#include "tools/qrptool/command.h"

#include "base/file_system.h"

#include <dlfcn.h>

#include <map>
#include <stdexcept>

namespace qrptool {

namespace {

ModuleEntry LoadModule(Part part)
{
    static std::map<Part, ModuleEntry> loaded;
    if (const auto it = loaded.find(part); it != loaded.end()) return it->second;
    const std::string file = PartModuleName(part);
    const std::string folder = qrp::ProgramFolder();
    const std::string installed = folder + "/" + QRPTOOL_MODULE_DIR;
    std::string failure = file + ": not found beside the program nor in " + installed;
    for (const std::string& candidate : {folder + "/" + file, installed + "/" + file}) {
        if (qrp::StatusOf(candidate).kind != qrp::FileKind::kRegular) continue;
        // Never unloaded: Qt keeps its state until the process ends.
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = dlerror();
            failure = why ? why : candidate + ": cannot be loaded";
            continue;
        }
        const auto entry = reinterpret_cast<ModuleEntry>(dlsym(handle, kModuleEntry));
        if (!entry) {
            failure = candidate + ": not a qrptool module";
            continue;
        }
        return loaded[part] = entry;
    }
    throw std::runtime_error("cannot load " + failure);
}

}  // namespace

const Command* FindCommandIn(Part part, const std::string& name)
{
    const Command* command = LoadModule(part)(name.c_str());
    if (!command) throw std::runtime_error(std::string(PartModuleName(part)) + " lacks the command " + name);
    return command;
}

const Command* FindCommand(const std::string& name)
{
    for (const CommandEntry& entry : CommandTable()) {
        if (name != entry.name) continue;
        if (entry.command) return entry.command;
        const Command* command = LoadModule(entry.part)(entry.name);
        if (!command) throw std::runtime_error(std::string(PartModuleName(entry.part)) + " lacks the command " + name);
        return command;
    }
    return nullptr;
}

}  // namespace qrptool
