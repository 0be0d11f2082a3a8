#include "spectrumview/colour_dialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "spectrumview/spectrum_plot_view.h"

namespace korva {

namespace {

// A small plot in the window's colours: background, bars, a marked region
// and the cursor.
class ColourPreview : public QWidget {
 public:
  explicit ColourPreview(QWidget* parent) : QWidget(parent) { setMinimumSize(220, 90); }
  void SetColours(const SpectrumColours& colours) {
    colours_ = colours;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(colours_.background));
    const int baseline = height() - 8;
    for (int x = 8; x < width() - 8; ++x) {
      const int centre = width() / 2;
      const int peak = std::max(0, 60 - (x - centre) * (x - centre) / 12);
      const int bar = std::min(baseline - 4, 6 + peak);
      const bool roi = x > centre - 20 && x < centre + 20;
      painter.setPen(ToQColor(roi ? colours_.roi : colours_.spectrum));
      painter.drawLine(x, baseline, x, baseline - bar);
    }
    painter.setPen(ToQColor(colours_.cursor));
    painter.drawLine(width() / 3, baseline, width() / 3, 4);
  }

 private:
  SpectrumColours colours_;
};

std::optional<QColor> SystemColourChooser(const QColor& initial, QWidget* parent) {
  const QColor chosen = QColorDialog::getColor(initial, parent);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

}  // namespace

CColorDlg::CColorDlg(SpectrumPlotView& window, ColourChooser choose, QWidget* parent)
    : QDialog(parent),
      window_(window),
      choose_(choose ? std::move(choose) : ColourChooser(SystemColourChooser)),
      before_(window.Colours()),
      preview_(new ColourPreview(this)) {
  setWindowTitle(QStringLiteral("ADJUST COLORS"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(preview_);
  const std::pair<const char*, std::uint32_t SpectrumColours::*> buttons[] = {
      {"BACKGROUND", &SpectrumColours::background},
      {"SPECTRUM", &SpectrumColours::spectrum},
      {"ROI", &SpectrumColours::roi},
      {"CURSOR", &SpectrumColours::cursor}};
  for (const auto& [text, which] : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(QString::fromLatin1(text));
    connect(button, &QPushButton::clicked, this, [this, member = which] { Choose(member); });
    layout->addWidget(button);
  }
  auto* defaults = new QPushButton(QStringLiteral("Default"), this);
  defaults->setObjectName(QStringLiteral("Default"));
  connect(defaults, &QPushButton::clicked, this, [this] { Show(SpectrumColours{}); });
  layout->addWidget(defaults);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);
  Show(before_);
}

void CColorDlg::Choose(std::uint32_t SpectrumColours::*which) {
  SpectrumColours colours = window_.Colours();
  const std::optional<QColor> chosen = choose_(ToQColor(colours.*which), this);
  if (!chosen) return;
  colours.*which = FromQColor(*chosen);
  Show(colours);
}

void CColorDlg::Show(const SpectrumColours& colours) {
  window_.SetColours(colours);
  static_cast<ColourPreview*>(preview_)->SetColours(colours);
}

void CColorDlg::reject() {
  Show(before_);
  QDialog::reject();
}

}  // namespace korva
