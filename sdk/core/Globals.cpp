// The SDK's global objects, built at load in this order and destroyed at
// unload in the reverse order: the play-handle manager, then the device
// manager. (The log is built before both, on first use, and ends after them.)
// At process exit they are left alone (see CProcessGlobal).
#include "core/ManagerServer.h"
#include "core/ProcessGlobal.h"
#include "media/SDKObjectManager.h"

namespace {
CProcessGlobal<CSDKObjectManager> g_objects __attribute__((init_priority(300)));
CProcessGlobal<CManagerServer> g_manager __attribute__((init_priority(301)));
}  // namespace

CSDKObjectManager& SdkObjects() { return g_objects.Get(); }
CManagerServer& SdkManager() { return g_manager.Get(); }

// Set by the first successful NET_Init; never cleared.
volatile LONG g_winsockStarted = 0;
