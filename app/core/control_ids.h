// Controls carry the number their dialog gives them as the dynamic property "controlId", so the
// pages, the language lookups and the tests find them by number.
#pragma once

#include <QString>

class QObject;
class QWidget;

namespace core {

inline constexpr const char* kControlIdProperty = "controlId";

void SetControlId(QObject* control, int id);
int ControlId(const QObject* control);
// The first descendant of parent with that number, or null.
QWidget* FindControl(QWidget* parent, int id);
// Sets a control's visible text, whatever kind of control it is (label, button, box, window).
void SetControlText(QWidget* control, const QString& text);

}  // namespace core
