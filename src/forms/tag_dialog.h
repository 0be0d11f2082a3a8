#pragma once

#include <QDialog>

class QLineEdit;

namespace korva {

// "Tag": the tag of a measurement or a spectrum, asked for while its files
// are saved, in one edit of at most 100 characters.
class CDialogTag : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxTagLength = 100;

  CDialogTag(const QString& tag, QWidget* parent = nullptr);

  QString Tag() const;

 private:
  QLineEdit* tag_;
};

}  // namespace korva
