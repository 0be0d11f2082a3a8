#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "spectrum/spectrum_colours.h"

namespace korva {

class SpectrumPlotView;

// "ADJUST COLORS" on a spectrum window: a preview and the buttons
// "BACKGROUND", "SPECTRUM", "ROI" and "CURSOR", each of which asks for a
// colour and applies it at once to the window and the preview; "Default"
// brings back the four defaults; Cancel the colours held before the dialog.
class CColorDlg : public QDialog {
  Q_OBJECT

 public:
  // Asks for a colour starting from the one given; none on Cancel.
  using ColourChooser = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

  // `choose` is the system colour chooser when empty.
  CColorDlg(SpectrumPlotView& window, ColourChooser choose = {}, QWidget* parent = nullptr);

  void reject() override;

 private:
  void Choose(std::uint32_t SpectrumColours::*which);
  void Show(const SpectrumColours& colours);

  SpectrumPlotView& window_;
  ColourChooser choose_;
  SpectrumColours before_;
  QWidget* preview_;
};

}  // namespace korva
