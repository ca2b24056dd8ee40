// CValidateNotice: the small "Validate Settings ..." notice the connect paths show while a
// connection is made. It fades in and out on the machine's clock (on Vista it simply stays two
// seconds), shows the wait cursor meanwhile and closes itself as if confirmed.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "app/core/clock_bridge.h"

class QLabel;

namespace pages {

inline constexpr int kValidateNoticeText = 3003;
inline constexpr uint32_t kNoticeStartDelayMs = 50;
inline constexpr uint32_t kNoticeFadeStepMs = 100;
inline constexpr uint32_t kNoticeVistaStayMs = 2000;
inline constexpr int kNoticeFirstAlpha = 31;

// The alpha values the notice passes through after its start: up to 255 and down to 31 again.
const std::vector<int>& NoticeFadeSteps();
// From show to close on the machine's clock, for that OsVersionCode.
uint32_t NoticeLifetimeMs(int32_t osVersionCode);

class CValidateNotice : public QDialog {
 public:
  CValidateNotice(QWidget* parent, int32_t osVersionCode);
  ~CValidateNotice() override;

  // The alpha the window has now (255 on Vista, where it is not layered).
  int Alpha() const { return alpha_; }

  // Shows a notice that deletes itself when it has closed.
  static CValidateNotice* ShowNotice(QWidget* parent, int32_t osVersionCode);

 private:
  void Begin();
  void Step();
  void SetAlpha(int alpha);
  void Finish();

  const bool layered_;
  int alpha_ = 255;
  size_t step_ = 0;
  bool waitCursor_ = false;
  core::MachineTimer timer_;
};

}  // namespace pages
