#include "app/core/app_state.h"

#include <memory>

namespace core {

namespace {

std::unique_ptr<AppState>& Holder() {
  static auto state = std::make_unique<AppState>();
  return state;
}

}  // namespace

AppState& State() {
  return *Holder();
}

void ResetState() {
  Holder() = std::make_unique<AppState>();
}

}  // namespace core
