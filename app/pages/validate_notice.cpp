#include "app/pages/validate_notice.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "app/controls/palette.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/os_version_code.h"

namespace pages {

namespace {

constexpr uint32_t kNoticeTextColor = 0xFCFCFC;
constexpr uint32_t kNoticeBackground = 0x3F3F00;

}  // namespace

const std::vector<int>& NoticeFadeSteps() {
  static const std::vector<int> steps{63,  95,  127, 159, 191, 223, 255,
                                      223, 191, 159, 127, 95,  63,  31};
  return steps;
}

uint32_t NoticeLifetimeMs(int32_t osVersionCode) {
  if (osVersionCode == core::kOsWindowsVista) return kNoticeStartDelayMs + kNoticeVistaStayMs;
  return kNoticeStartDelayMs + static_cast<uint32_t>(NoticeFadeSteps().size()) * kNoticeFadeStepMs;
}

CValidateNotice::CValidateNotice(QWidget* parent, int32_t osVersionCode)
    // Qt can make any top-level window translucent, so everything but Vista fades.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      layered_(osVersionCode != core::kOsWindowsVista),
      timer_(this, [this] { Step(); }) {
  setModal(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, controls::WindowsColor(kNoticeBackground));
  palette.setColor(QPalette::WindowText, controls::WindowsColor(kNoticeTextColor));
  setPalette(palette);
  setAutoFillBackground(true);

  auto* text = new QLabel(this);
  core::SetControlId(text, kValidateNoticeText);
  text->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("Microsoft Sans Serif"));
  font.setPixelSize(14);
  font.setBold(true);
  text->setFont(font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 12, 18, 12);
  layout->addWidget(text);
  core::LangSetText(this, false, kValidateNoticeText, "CONTROL_CENTER", "10010",
                    "Validate Settings ...");
  setMinimumSize(180, 48);
  if (layered_) SetAlpha(kNoticeFirstAlpha);

  timer_.StartOnce(kNoticeStartDelayMs);
}

CValidateNotice::~CValidateNotice() {
  if (waitCursor_) QApplication::restoreOverrideCursor();
}

CValidateNotice* CValidateNotice::ShowNotice(QWidget* parent, int32_t osVersionCode) {
  auto* notice = new CValidateNotice(parent, osVersionCode);
  notice->setAttribute(Qt::WA_DeleteOnClose);
  notice->open();
  return notice;
}

void CValidateNotice::SetAlpha(int alpha) {
  alpha_ = alpha;
  setWindowOpacity(alpha / 255.0);
  update();
}

void CValidateNotice::Begin() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  waitCursor_ = true;
  if (layered_) {
    timer_.Start(kNoticeFadeStepMs);
  } else {
    timer_.StartOnce(kNoticeVistaStayMs);
  }
}

void CValidateNotice::Step() {
  if (!waitCursor_) return Begin();
  if (!layered_) return Finish();
  const std::vector<int>& steps = NoticeFadeSteps();
  SetAlpha(steps[step_++]);
  if (step_ == steps.size()) Finish();
}

void CValidateNotice::Finish() {
  timer_.Stop();
  QApplication::restoreOverrideCursor();
  waitCursor_ = false;
  accept();
}

}  // namespace pages
