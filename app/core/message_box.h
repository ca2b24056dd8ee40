// The utility's message boxes: a text from the language file, one of the Windows icons and the
// program's name as caption. Tests answer them through a hook instead of a person.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace core {

enum class MessageIcon { Information, Exclamation, Stop, Question };

// Shows the box modally and gives the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text, MessageIcon icon,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// While set, boxes are not shown: the hook gets each one and gives the answer.
using MessageHook =
    std::function<QMessageBox::StandardButton(const QString& text, MessageIcon icon)>;
void SetMessageHook(MessageHook hook);

}  // namespace core
