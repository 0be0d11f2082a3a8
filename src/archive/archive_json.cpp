#include "archive/archive_json.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "analysis/provenance_json.h"
#include "common/format_text.h"

namespace korva {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QJsonValue& value) {
  return value.isString() ? value.toString().toStdString() : value.toVariant().toString().toStdString();
}

QJsonObject InstrumentJson(const EntryDescription& d) {
  const InstrumentProvenance& i = d.instrument;
  QJsonObject json{{"model", Q(i.model)},
                   {"serialNumber", Q(i.serialNumber)},
                   {"firmware", Q(i.firmwareVersion)},
                   {"fpga", Q(i.fpgaVersion)},
                   {"startStamp", Q(d.startStamp)},
                   {"timeReference", Q(i.timeReference)},
                   {"ntpServer", Q(i.ntpServer)}};
  json["ntpOffsetSeconds"] = i.ntpOffsetSeconds ? QJsonValue(*i.ntpOffsetSeconds) : QJsonValue();
  return json;
}

}  // namespace

QString SettingsJson(const NamedSettings& settings) {
  QJsonObject object;
  for (const auto& [name, value] : settings) object[Q(name)] = Q(value);
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

NamedSettings SettingsFromJson(const QString& json) {
  NamedSettings settings;
  const QJsonObject object = QJsonDocument::fromJson(json.toUtf8()).object();
  for (auto it = object.begin(); it != object.end(); ++it)
    settings.emplace_back(it.key().toStdString(), Text(*it));
  return settings;
}

QJsonObject EntryJson(const ArchiveEntry& entry) {
  QJsonArray files;
  for (const ArchivedFile& file : entry.files) {
    files.append(QJsonObject{
        {"path", Q(file.path)}, {"sha256", Q(file.sha256)}, {"size", static_cast<qint64>(file.size)}});
  }
  const RecordFields& r = entry.description.record;
  return {{"id", static_cast<qint64>(entry.id)},
          {"kind", Q(std::string(SavedKindName(entry.kind)))},
          {"savedAt", Q(entry.savedAt)},
          {"files", files},
          {"instrument", InstrumentJson(entry.description)},
          {"record", QJsonObject{{"tag", Q(r.tag)},
                                 {"operator", Q(r.operatorName)},
                                 {"nuclides", Q(r.nuclides)},
                                 {"cocktail", Q(r.cocktail)},
                                 {"highVoltage", Q(r.highVoltage)}}},
          {"settings", QJsonDocument::fromJson(SettingsJson(entry.description.settings).toUtf8()).object()},
          {"result", Q(entry.description.result)}};
}

EntryDescription DescribeAnalysisJson(const QByteArray& json) {
  EntryDescription d;
  const QJsonObject root = QJsonDocument::fromJson(json).object();
  // The provenance names the instrument and the clock as the export printed
  // them; the report's own instrument block fills what it leaves open.
  d.instrument = InstrumentProvenanceOfJson(root.value(QStringLiteral("provenance")).toObject());
  const QJsonObject instrument = root.value(QStringLiteral("instrument")).toObject();
  InstrumentProvenance reported;
  reported.model = Text(instrument.value(QStringLiteral("hardware")));
  reported.serialNumber = Text(instrument.value(QStringLiteral("serialNumber")));
  reported.firmwareVersion = Text(instrument.value(QStringLiteral("firmwareVersion")));
  reported.fpgaVersion = Text(instrument.value(QStringLiteral("fpgaVersion")));
  FillInstrumentGaps(d.instrument, reported);
  const QJsonObject m = root.value(QStringLiteral("measurement")).toObject();
  d.record = {Text(m.value(QStringLiteral("tag"))), Text(m.value(QStringLiteral("operator"))),
              Text(m.value(QStringLiteral("nuclides"))), Text(m.value(QStringLiteral("cocktail"))),
              Text(m.value(QStringLiteral("highVoltage")))};
  const QJsonObject inputs = root.value(QStringLiteral("inputs")).toObject();
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    if (!it->isObject() && !it->isArray()) d.settings.emplace_back(it.key().toStdString(), Text(*it));
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
