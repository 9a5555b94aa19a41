#pragma once

#include "vst/AudioEffect.h"

namespace vst {

// Implemented by the plug-in: creates the plug-in object for a host whose
// callback has answered the version query. Returns null when the object
// cannot be created. Called on the host thread that loads the library.
AudioEffect* createEffectInstance(HostCallback audioMaster);

} // namespace vst
