#include "lib/driver/lib_state.h"

namespace vtr {

VtrLibState& LibState() {
  static VtrLibState state;
  return state;
}

std::string AdapterName() {
  std::lock_guard lock(LibState().mutex);
  return LibState().adapter.name;
}

FoundAdapter Adapter() {
  std::lock_guard lock(LibState().mutex);
  return LibState().adapter;
}

}  // namespace vtr
