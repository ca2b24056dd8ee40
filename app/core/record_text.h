// The text fields of the library's records: fixed-size byte arrays that hold UTF-8 text up to a
// NUL. They are read within their width and written whole, never past their end.
#pragma once

#include <QString>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace core {

// The field's text up to its NUL, or the whole field when it has none.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

template <size_t N>
QString FieldQString(const char (&field)[N]) {
  return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N)));
}

// Bytes of text that fit in max without splitting a UTF-8 sequence.
inline size_t FittingBytes(std::string_view text, size_t max) {
  if (text.size() <= max) return text.size();
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}

// Writes text into field with its NUL, the rest zero; text that does not fit is cut at a
// character boundary. Returns whether all of it fitted.
template <size_t N>
bool SetFieldText(char (&field)[N], std::string_view text) {
  const size_t length = FittingBytes(text, N - 1);
  std::memset(field, 0, N);
  // An empty view may have no data at all: copying from it is undefined even for no bytes.
  if (length != 0) std::memcpy(field, text.data(), length);
  return length == text.size();
}

template <size_t N>
bool SetFieldText(char (&field)[N], const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return SetFieldText(field,
                      std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace core
