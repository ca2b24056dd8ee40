#include "app/core/app_state.h"

namespace core {

AppState& State() {
  static AppState state;
  return state;
}

}  // namespace core
