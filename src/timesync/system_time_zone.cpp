#include "timesync/system_time_zone.h"

#include <QDateTime>

namespace korva {
namespace {

QDateTime ToQDateTime(const CalendarTime& utc) {
  return QDateTime(QDate(utc.year, utc.month, utc.day),
                   QTime(utc.hour, utc.minute, utc.second, utc.millisecond), Qt::UTC);
}

CalendarTime FromQDateTime(const QDateTime& moment) {
  const QDate date = moment.date();
  const QTime time = moment.time();
  CalendarTime calendar;
  calendar.year = static_cast<std::uint16_t>(date.year());
  calendar.month = static_cast<std::uint16_t>(date.month());
  calendar.day = static_cast<std::uint16_t>(date.day());
  calendar.dayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7);  // Qt counts Sunday as 7
  calendar.hour = static_cast<std::uint16_t>(time.hour());
  calendar.minute = static_cast<std::uint16_t>(time.minute());
  calendar.second = static_cast<std::uint16_t>(time.second());
  calendar.millisecond = static_cast<std::uint16_t>(time.msec());
  return calendar;
}

}  // namespace

QtTimeZone::QtTimeZone(const QTimeZone& zone) : zone_(zone) {}

CalendarTime QtTimeZone::ToLocal(const CalendarTime& utc) const {
  return FromQDateTime(ToQDateTime(utc).toTimeZone(zone_));
}

std::string QtTimeZone::Description() const { return zone_.id().toStdString(); }

std::unique_ptr<TimeZone> SystemTimeZoneSource::CaptureCurrent() const {
  return std::make_unique<QtTimeZone>(QTimeZone::systemTimeZone());
}

}  // namespace korva
