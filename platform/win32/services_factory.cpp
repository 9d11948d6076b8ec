// The platform's services, chosen once at build time.
#include "core/platform.h"
#include "platform/win32/win32_services.h"

namespace lintara {

std::unique_ptr<PlatformServices> CreatePlatformServices(int /*argc*/, char** /*argv*/) {
    // The raw command line comes from the system, not from argv.
    return std::make_unique<Win32Services>();
}

}  // namespace lintara
