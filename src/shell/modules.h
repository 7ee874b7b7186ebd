// The program's own modules: parts loaded on first use so that the
// libraries they need (sound, network) are not loaded at start. A module is
// looked for beside the executable, in the install's module folder
// (lib/skyrendel/modules) and, first of all, in the folder the
// SKYRENDEL_MODULE_PATH environment variable names (a build tree's tests).
#pragma once

#include <QString>

namespace sky {

// The entry point `entry` of module `name` (a file name without its
// suffix), or nullptr when no module of that name loads or has it.
void* ResolveModuleEntry(const QString& name, const char* entry);

} // namespace sky
