// The platform's services, chosen once at build time.
#include "core/platform.h"
#include "platform/posix/posix_services.h"

namespace lintara {

std::unique_ptr<PlatformServices> CreatePlatformServices(int argc, char** argv) {
    return std::make_unique<PosixServices>(argc, argv);
}

}  // namespace lintara
