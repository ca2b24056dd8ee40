// The one seam of the profile store's file layer that tests reach: a gate consulted before every
// write, flush and rename the store makes, so a test can stop an operation at any of them.
#pragma once

#include "vtrlib/vtr_base.h"

// What the gate tells the file layer to do with the step in front of it.
enum RadiodeskProfileWriteVerdict {
  kRadiodeskWriteProceed = 0,
  // The step fails as on a full disk; the operation cleans up and reports failure.
  kRadiodeskWriteFail = 1,
  // The process dies before the step: nothing more reaches the disk and nothing is cleaned up.
  kRadiodeskWriteCrash = 2,
};

typedef int (*RadiodeskProfileWriteGate)(void* context);

// Installs a gate for every later store operation of this process (null removes it). Not part of
// the VTR_* interface and not declared in vtrlib.h.
VTR_API void RadiodeskSetProfileWriteGate(RadiodeskProfileWriteGate gate, void* context);
