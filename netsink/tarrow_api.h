// Library-internal entry points beside the exports.
#pragma once

#include "Tarrow.h"

namespace tarrow {

// NETLIB_DeInit as run when the library is unloaded (under the loader lock).
void DeInitOnUnload();

}  // namespace tarrow
