#include "shell/http.h"

#include "shell/modules.h"

namespace sky {

HttpClient* Http() {
    static HttpClient* client = [] {
        using Make = HttpClient* (*)();
        auto make = reinterpret_cast<Make>(ResolveModuleEntry(QStringLiteral("skyrendel-network"),
                                                              "skyrendel_http_client"));
        return make ? make() : nullptr;
    }();
    return client;
}

} // namespace sky
