#include "devicelink/serial_port_enumerator.h"

#include <QSerialPortInfo>

#include "common/virtual_instrument_announcement.h"

namespace korva {

namespace {

SerialPortRecord RecordOf(const QSerialPortInfo& info) {
  SerialPortRecord record;
  record.devicePath = info.systemLocation().toStdString();
  record.portName = info.portName().toStdString();
  record.description = info.description().toStdString();
  if (!record.description.empty())
    record.friendlyName = MakeFriendlyName(record.description, record.portName);
  record.usbDevice = info.hasVendorIdentifier();
  return record;
}

SerialPortRecord RecordOf(const VirtualInstrumentAnnouncement& announcement) {
  SerialPortRecord record;
  record.devicePath = announcement.devicePath;
  record.portName = announcement.name;
  record.friendlyName = FriendlyName(announcement);
  return record;
}

}  // namespace

std::vector<SerialPortRecord> EnumerateSerialPorts() {
  std::vector<SerialPortRecord> records;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) records.push_back(RecordOf(info));
  for (const VirtualInstrumentAnnouncement& announcement : ListAnnouncements()) {
    records.push_back(RecordOf(announcement));
  }
  for (SerialPortRecord& record : records) CompleteRecord(record);
  return records;
}

}  // namespace korva
