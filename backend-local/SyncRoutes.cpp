// The synchronisation paths (sync/...) are registered here.
#include "backend-local/BackendServer.h"

namespace backendlocal {

void registerSyncRoutes(BackendServer &)
{
}

} // namespace backendlocal
