// The utility's file dialogs: the open and save dialogs of the import and export. Tests answer
// them through a hook instead of a person; either way the current directory is the same after
// the dialog as before it, so the profile store stays beside the program.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace core {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  QString defaultSuffix;  // without the dot: "cfg"
  QString defaultName;    // "Profile.cfg"
  QString filter;         // Qt's form: "cfg Files (*.cfg);;All Files (*)"
};

// The path chosen, or an empty text when the dialog was cancelled.
QString AskFileName(QWidget* parent, const FileDialogRequest& request);

// While set, no dialog is shown: the hook gets each request and gives the path (empty: cancel).
using FileDialogHook = std::function<QString(const FileDialogRequest& request)>;
void SetFileDialogHook(FileDialogHook hook);

}  // namespace core
