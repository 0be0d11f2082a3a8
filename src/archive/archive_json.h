#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "archive/archive_entry.h"

namespace korva {

// The settings of an entry as the JSON object the archive stores.
QString SettingsJson(const NamedSettings& settings);
NamedSettings SettingsFromJson(const QString& json);

// An entry for `history list --json` and `history show --json`.
QJsonObject EntryJson(const ArchiveEntry& entry);

// What an analysis export's JSON says: the instrument, the record fields,
// the inputs and the activity with its expanded uncertainty. Text that is
// not such JSON gives an empty description.
EntryDescription DescribeAnalysisJson(const QByteArray& json);

}  // namespace korva
