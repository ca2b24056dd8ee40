// The working profile the editor shows and changes: the process-wide DefaultProfileRecord,
// which the connect and automatic-connection workers read from their own threads. Every read is
// a copy and every change is made under its lock.
#pragma once

#include <utility>

#include "app/core/app_state.h"

namespace pages {

inline ProfileRecord WorkingProfile() {
  return core::State().defaultProfileRecord.Get();
}

template <typename Fn>
void EditWorkingProfile(Fn&& change) {
  core::State().defaultProfileRecord.With([&](ProfileRecord& record) { change(record); });
}

}  // namespace pages
