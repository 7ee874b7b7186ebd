#include "shell/modules.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

namespace sky {

void* ResolveModuleEntry(const QString& name, const char* entry) {
    const QString exe = QCoreApplication::applicationDirPath();
    QStringList folders;
    const QString override = qEnvironmentVariable("SKYRENDEL_MODULE_PATH");
    if (!override.isEmpty()) folders << override;
    folders << exe << exe + QLatin1Char('/') + QString::fromLatin1(SKYRENDEL_MODULES_FROM_BIN);
    for (const QString& folder : folders) {
        QLibrary module(folder + QLatin1Char('/') + name);
        if (!module.load()) continue;
        // The module stays loaded for the rest of the run.
        if (QFunctionPointer f = module.resolve(entry)) return reinterpret_cast<void*>(f);
    }
    return nullptr;
}

} // namespace sky
