// What the About page tells of a program file: its version from the version resource and the day
// it was last written, in the machine's local time.
#pragma once

#include <QString>
#include <string>

namespace pages {

// "1.3.0.0" from the fixed file version's four words; empty when the file has no version.
QString FileVersionText(const std::string& path);
// "1-7-2008" (month, day, year) of the last write; empty when the file is not found.
QString FileDateText(const std::string& path);
// The version, a blank and the date in parentheses: "0.1.0.0 (1-7-2008)".
QString FileFactsText(const std::string& path);

}  // namespace pages
