// Text fields that fill a fixed-size field of a record: the record keeps UTF-8 bytes, so the
// limit is in bytes, not in characters. A change that would make the text longer is refused as
// it is typed or pasted, so what the field shows is always what the record can keep.
#pragma once

#include <QValidator>

class QLineEdit;

namespace controls {

class ByteLimitValidator : public QValidator {
  Q_OBJECT

 public:
  ByteLimitValidator(int maxBytes, QObject* parent);

  State validate(QString& input, int& pos) const override;
  void SetMaxBytes(int maxBytes) { maxBytes_ = maxBytes; }

 private:
  int maxBytes_;
};

// Limits edit to maxBytes bytes (and so to as many characters at most).
void LimitBytes(QLineEdit* edit, int maxBytes);

}  // namespace controls
