#include "archive/archive_json.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "analysis/provenance_json.h"
#include "common/format_text.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

std::string StringOf(const QJsonValue& value) {
  return value.isString() ? value.toString().toStdString() : value.toVariant().toString().toStdString();
}

QJsonObject InstrumentJson(const EntryDescription& d) {
  const InstrumentProvenance& i = d.instrument;
  QJsonObject json{{"model", QtText(i.model)},
                   {"serialNumber", QtText(i.serialNumber)},
                   {"firmware", QtText(i.firmwareVersion)},
                   {"fpga", QtText(i.fpgaVersion)},
                   {"startStamp", QtText(d.startStamp)},
                   {"timeReference", QtText(i.timeReference)},
                   {"ntpServer", QtText(i.ntpServer)}};
  json["ntpOffsetSeconds"] = i.ntpOffsetSeconds ? QJsonValue(*i.ntpOffsetSeconds) : QJsonValue();
  return json;
}

}  // namespace

QString SettingsJson(const NamedSettings& settings) {
  QJsonObject object;
  for (const auto& [name, value] : settings) object[QtText(name)] = QtText(value);
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

NamedSettings SettingsFromJson(const QString& json) {
  NamedSettings settings;
  const QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
  for (auto it = object.begin(); it != object.end(); ++it)
    settings.emplace_back(it.key().toStdString(), StringOf(*it));
  return settings;
}

QJsonObject EntryJson(const ArchiveEntry& entry) {
  QJsonArray files;
  for (const ArchivedFile& file : entry.files) {
    files.append(QJsonObject{{"path", QtText(file.path)},
                             {"sha256", QtText(file.sha256)},
                             {"size", static_cast<qint64>(file.size)}});
  }
  const RecordFields& r = entry.description.record;
  return {{"id", static_cast<qint64>(entry.id)},
          {"kind", QtText(std::string(SavedKindName(entry.kind)))},
          {"savedAt", QtText(entry.savedAt)},
          {"files", files},
          {"instrument", InstrumentJson(entry.description)},
          {"record", QJsonObject{{"tag", QtText(r.tag)},
                                 {"operator", QtText(r.operatorName)},
                                 {"nuclides", QtText(r.nuclides)},
                                 {"cocktail", QtText(r.cocktail)},
                                 {"highVoltage", QtText(r.highVoltage)}}},
          {"settings", QJsonDocument::fromJson(SettingsJson(entry.description.settings).toUtf8()).object()},
          {"result", QtText(entry.description.result)}};
}

EntryDescription DescribeAnalysisJson(const QByteArray& json) {
  EntryDescription d;
  const QJsonObject root = QJsonDocument::fromJson(json).object();
  // The provenance names the instrument and the clock as the export printed
  // them; the report's own instrument block fills what it leaves open.
  d.instrument = InstrumentProvenanceOfJson(root.value(QStringLiteral("provenance")).toObject());
  const QJsonObject instrument = root.value(QStringLiteral("instrument")).toObject();
  InstrumentProvenance reported;
  reported.model = StringOf(instrument.value(QStringLiteral("hardware")));
  reported.serialNumber = StringOf(instrument.value(QStringLiteral("serialNumber")));
  reported.firmwareVersion = StringOf(instrument.value(QStringLiteral("firmwareVersion")));
  reported.fpgaVersion = StringOf(instrument.value(QStringLiteral("fpgaVersion")));
  FillInstrumentGaps(d.instrument, reported);
  const QJsonObject m = root.value(QStringLiteral("measurement")).toObject();
  d.record = {StringOf(m.value(QStringLiteral("tag"))), StringOf(m.value(QStringLiteral("operator"))),
              StringOf(m.value(QStringLiteral("nuclides"))), StringOf(m.value(QStringLiteral("cocktail"))),
              StringOf(m.value(QStringLiteral("highVoltage")))};
  const QJsonObject inputs = root.value(QStringLiteral("inputs")).toObject();
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    if (!it->isObject() && !it->isArray()) d.settings.emplace_back(it.key().toStdString(), StringOf(*it));
  }
  const QJsonObject result = root.value(QStringLiteral("result")).toObject();
  if (result.contains(QStringLiteral("activity"))) {
    d.result = FormatText("activity %.6g Bq, expanded uncertainty %.3g Bq (k=%g)",
                          result.value(QStringLiteral("activity")).toDouble(),
                          result.value(QStringLiteral("expandedUncertainty")).toDouble(),
                          result.value(QStringLiteral("coverageFactor")).toDouble());
  }
  return d;
}

}  // namespace korva
