#include "app/core/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <mutex>

namespace core {

namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}

FileDialogHook& Hook() {
  static FileDialogHook hook;
  return hook;
}

QString RunDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dialog(parent);
  dialog.setDefaultSuffix(request.defaultSuffix);
  dialog.setNameFilter(request.filter);
  dialog.selectFile(request.defaultName);
  dialog.setOption(QFileDialog::DontUseNativeDialog, false);
  if (request.kind == FileDialogKind::Open) {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    // Qt's save dialog asks before overwriting and needs an existing folder, as the export's
    // flags ask.
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

void SetFileDialogHook(FileDialogHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

QString AskFileName(QWidget* parent, const FileDialogRequest& request) {
  FileDialogHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  // A dialog may change the current directory while the user browses; the store is found
  // beside the program through it, so it is put back whatever the dialog did.
  const QString current = QDir::currentPath();
  const QString chosen = hook ? hook(request) : RunDialog(parent, request);
  QDir::setCurrent(current);
  return chosen;
}

}  // namespace core
