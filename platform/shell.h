// The Windows shell, for what the library asks of it: opening a folder or a document with a verb,
// as ShellExecuteA does.
#pragma once

#include <string_view>

namespace platform {

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // ShellExecuteA(owner 0, verb, file, no parameters, no directory, SW_SHOWNORMAL): true when the
  // shell took the request.
  virtual bool ShellExecute(std::string_view verb, std::string_view file) = 0;
};

}  // namespace platform
