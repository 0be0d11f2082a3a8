#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "timesync/time_reference.h"
#include "timesync/time_stamp_session.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace korva {

// The "Measurement Time Stamp" dialog: queries an NTP server, can set the
// computer's clock from it, and closes with the reference the start stamps
// are to follow. Closing it by its close box or Escape chooses nothing, so
// the start that asked for a choice does not happen.
class CTimeUTC : public QDialog {
  Q_OBJECT

 public:
  // The two public servers offered; the user may type any other.
  static constexpr const char* kPresetServers[] = {"pool.ntp.org", "time.nist.gov"};

  explicit CTimeUTC(const TimeStampTools& tools, QWidget* parent = nullptr);

  TimeReferenceKind Choice() const { return choice_; }
  // The offset of the last successful query, for a UTC choice.
  double LastOffset() const { return session_.LastOffset(); }
  // The server that query asked, as typed.
  const std::string& LastServer() const { return session_.LastServer(); }

 private:
  void BuildLayout();
  void OnGetUtc();
  void OnSynchronise();
  void CloseWith(TimeReferenceKind choice);
  void AppendLines(const std::vector<std::string>& lines);
  void UpdateButtons();

  TimeStampSession session_;
  TimeReferenceKind choice_ = TimeReferenceKind::kSystem;
  QListWidget* report_;
  QComboBox* server_;
  QPushButton* getUtc_;
  QPushButton* synchronise_;
  QPushButton* useUtc_;
  QPushButton* useLocal_;
  QPushButton* useSystem_;
};

// Shows the dialog modally and stores its choice in `reference`; a dialog
// closed without a choice leaves `reference` as it was.
void ChooseTimeReference(TimeReferenceState& reference, const TimeStampTools& tools, QWidget* parent);

}  // namespace korva
