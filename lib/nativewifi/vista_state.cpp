#include "lib/nativewifi/vista_state.h"

namespace vtr {

VistaLibState& VistaState() {
  // Never destroyed: the service's thread may still be in the callback while the process ends.
  static VistaLibState& state = *new VistaLibState;
  return state;
}

FoundAdapter VistaAdapter() {
  std::lock_guard lock(VistaState().mutex);
  return VistaState().adapter;
}

platform::WlanGuid VistaInterfaceGuid() {
  std::lock_guard lock(VistaState().mutex);
  return VistaState().interfaceGuid;
}

}  // namespace vtr
