#include "qtadapters/qt_settings_store.h"

namespace korva {

namespace {

QString Key(std::string_view path, std::string_view name) {
  QString group = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
  group.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (group.startsWith(QLatin1Char('/'))) group.remove(0, 1);
  return group + QLatin1Char('/') + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore() : settings_(QStringLiteral("Korva"), QStringLiteral("Korva-TDCR 7.0")) {}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::ReadBinary(std::string_view path,
                                                                     std::string_view name) {
  const QVariant value = settings_.value(Key(path, name));
  if (!value.isValid()) return std::nullopt;
  const QByteArray bytes = value.toByteArray();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtSettingsStore::WriteBinary(std::string_view path, std::string_view name,
                                  std::span<const std::uint8_t> value) {
  settings_.setValue(Key(path, name), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                 static_cast<qsizetype>(value.size())));
}

std::optional<std::uint32_t> QtSettingsStore::ReadDword(std::string_view path, std::string_view name) {
  const QVariant value = settings_.value(Key(path, name));
  bool ok = false;
  const uint number = value.toUInt(&ok);
  if (!value.isValid() || !ok) return std::nullopt;
  return number;
}

void QtSettingsStore::WriteDword(std::string_view path, std::string_view name, std::uint32_t value) {
  settings_.setValue(Key(path, name), value);
}

std::optional<std::string> QtSettingsStore::ReadString(std::string_view path, std::string_view name) {
  const QVariant value = settings_.value(Key(path, name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void QtSettingsStore::WriteString(std::string_view path, std::string_view name, std::string_view value) {
  settings_.setValue(Key(path, name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

}  // namespace korva
