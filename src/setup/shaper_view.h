#pragma once

#include <QScrollArea>
#include <array>
#include <optional>

#include "forms/dock_pane.h"
#include "setup/shaper_setup.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace korva {

class CommandEngine;
class DropDownList;
class NumericEdit;
struct SpectrumDocuments;

// The shaper form: slow and fast shaper times, the unfolding set of the
// selected input class, thresholds with their automatic margins, the
// baseline restorer, the gain normalisation and the pile-up rejector. The
// shaper set-up holds the view state; the form shows its controls and hands
// it the user's changes, which are composed into the buffer spectrum's
// registers and sent. Only the buffer spectrum's settings can be changed.
class CShaperView : public QScrollArea {
  Q_OBJECT

 public:
  CShaperView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent = nullptr);

  // Decodes the active spectrum's registers into the form.
  void Refresh();
  // The normalisation compose of the buffer spectrum's registers, as the
  // amplifier's compose runs it.
  void ComposeNormalisation(RegisterImage& registers);
  // The amplifier's input class changed.
  void SetUnfoldingSet(bool inputE);

  ShaperSetup& Setup() { return setup_; }
  // Puts the set-up's state into the controls.
  void Show();

 private:
  void LayOut(QWidget* form);
  QWidget* BuildShaper(QWidget* form, bool slow);
  QWidget* BuildUnfolding(QWidget* form);
  QWidget* BuildThresholds(QWidget* form);
  QWidget* BuildBlr(QWidget* form);
  QWidget* BuildNormalisation(QWidget* form);
  QWidget* BuildPileUpAndEstimates(QWidget* form);
  NumericEdit* NewField(ShaperField field, const QString& objectName, QWidget* parent);
  QCheckBox* NewCheck(ShaperCheck check, const QString& caption, const QString& objectName, QWidget* parent);
  DropDownList* NewDropDown(ShaperList list, const QString& objectName, const QStringList& entries,
                            QWidget* parent);
  void ShowField(ShaperField field);
  void Send(const std::optional<RegisterBlock>& block);

  CommandEngine& engine_;
  SpectrumDocuments& spectra_;
  ShaperSetup setup_;
  bool showing_ = false;

  std::array<NumericEdit*, kShaperFieldCount> fields_{};
  std::array<QCheckBox*, kShaperCheckCount> checks_{};
  std::array<DropDownList*, 3> lists_{};
  QComboBox* shape_ = nullptr;
  QGroupBox* unfolding_ = nullptr;
  std::array<QWidget*, 2> unfoldingSets_{};  // A/B/C, E
  QLineEdit* slowRiseUs_ = nullptr;
  QLineEdit* slowFlatTopUs_ = nullptr;
  QLineEdit* fastRiseUs_ = nullptr;
  QLineEdit* fastFlatTopUs_ = nullptr;
  QLineEdit* longTcUs_ = nullptr;
  QLineEdit* shortTcNs_ = nullptr;
  QLabel* marginHeader_ = nullptr;
  QLabel* slowAuto_ = nullptr;
  QLabel* fastAuto_ = nullptr;
  QLineEdit* estimatedSlow_ = nullptr;
  QLineEdit* estimatedFast_ = nullptr;
};

// The dockable pane "SHAPER" with the shaper form.
class CDocableShaperPane : public DockPane {
  Q_OBJECT

 public:
  CDocableShaperPane(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent);
  // The form, or null when it could not be created.
  CShaperView* ShaperView() const;
};

}  // namespace korva
