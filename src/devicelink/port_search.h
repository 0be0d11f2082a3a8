#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "devicelink/serial_port_record.h"

namespace korva {

class EventLog;
class LinkSession;

// The Port Finder's search: every serial port is opened in turn at 921600
// baud and probed with one register read; the ports whose instrument answers
// with a valid reply are kept with the serial number from its status block.
class PortSearch : public QObject {
  Q_OBJECT

 public:
  using Enumerator = std::function<std::vector<SerialPortRecord>()>;

  struct Found {
    std::string friendlyName;
    std::string entryText;  // friendly name and " -> SN: %05u"
  };

  static constexpr int kProbeTicks = 4;
  static constexpr std::size_t kProbeQueueSize = 10;

  PortSearch(LinkSession& session, EventLog& log, Enumerator enumerate, QObject* parent = nullptr);

  // Runs the whole search, keeping the user interface alive while it waits.
  // Returns the instruments that answered, in port order.
  std::vector<Found> Run();
  // Ends the search after the port being probed.
  void Cancel() { searching_ = false; }
  bool IsSearching() const { return searching_; }

 signals:
  void ProgressRangeChanged(int maximum);
  void ProgressAdvanced(int value);
  void InstrumentFound(const QString& entryText);

 private:
  bool ProbePort(const SerialPortRecord& record, Found& found);
  void WaitMs(int milliseconds);
  void WaitTicks(int ticks);

  LinkSession& session_;
  EventLog& log_;
  Enumerator enumerate_;
  bool searching_ = false;
  int tickCounter_ = 0;
};

// The text of a found instrument in the Port Finder's list.
std::string FoundEntryText(const std::string& friendlyName, unsigned serialNumber);

}  // namespace korva
