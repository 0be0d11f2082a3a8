#include "forms/tag_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korva {

CDialogTag::CDialogTag(const QString& tag, QWidget* parent) : QDialog(parent), tag_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Tag"));
  tag_->setObjectName(QStringLiteral("tag"));
  tag_->setMaxLength(kMaxTagLength);
  tag_->setText(tag);
  tag_->selectAll();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tag_);
  layout->addWidget(buttons);
}

QString CDialogTag::Tag() const { return tag_->text(); }

}  // namespace korva
