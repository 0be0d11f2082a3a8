#include "archive/archive_location.h"

#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include "common/settings_store.h"

namespace korva {

namespace {

std::optional<ArchiveLocation> PostgresLocation(const QUrl& url, QString& error) {
  ArchiveLocation location;
  location.dialect = SqlDialect::kPostgres;
  location.host = url.host();
  const QUrlQuery query(url);
  if (query.hasQueryItem(QStringLiteral("host")))
    location.host = query.queryItemValue(QStringLiteral("host"));
  location.port = url.port(5432);
  location.database = url.path().mid(1);
  location.user = url.userName();
  location.password = url.password();
  if (location.database.isEmpty()) {
    error = QStringLiteral("the archive URL names no database: ") + url.toString(QUrl::RemovePassword);
    return std::nullopt;
  }
  return location;
}

}  // namespace

QString ArchiveLocation::Describe() const {
  if (dialect == SqlDialect::kSqlite) return sqlitePath;
  QUrl url;
  url.setScheme(QStringLiteral("postgresql"));
  url.setUserName(user);
  url.setPort(port);
  url.setPath(QStringLiteral("/") + database);
  if (host.startsWith(QLatin1Char('/'))) {
    url.setHost(QStringLiteral("localhost"));
    url.setQuery(QStringLiteral("host=") + host);
  } else {
    url.setHost(host);
  }
  return url.toString();
}

std::optional<ArchiveLocation> ParseArchiveUrl(const QString& text, QString& error) {
  const QUrl url(text);
  const QString scheme = url.scheme().toLower();
  if (scheme == QStringLiteral("postgresql") || scheme == QStringLiteral("postgres"))
    return PostgresLocation(url, error);
  ArchiveLocation location;
  if (scheme == QStringLiteral("sqlite")) {
    location.sqlitePath = url.path();
  } else if (scheme.isEmpty() || scheme == QStringLiteral("file")) {
    location.sqlitePath = scheme.isEmpty() ? text : url.toLocalFile();
  } else {
    error = QStringLiteral("not an archive URL (postgresql://... or an SQLite file): ") + text;
    return std::nullopt;
  }
  if (location.sqlitePath.isEmpty()) {
    error = QStringLiteral("the archive URL names no file: ") + text;
    return std::nullopt;
  }
  return location;
}

ArchiveLocation DefaultArchiveLocation() {
  ArchiveLocation location;
  location.sqlitePath = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/korva-tdcr/archive.sqlite");
  return location;
}

ArchiveLocation ArchiveLocationFromSettings(SettingsStore& settings, QString& error) {
  const std::optional<std::string> url = settings.ReadString(kArchiveSettingsPath, kArchiveUrlName);
  if (!url || url->empty()) return DefaultArchiveLocation();
  const std::optional<ArchiveLocation> location = ParseArchiveUrl(QString::fromStdString(*url), error);
  return location ? *location : DefaultArchiveLocation();
}

}  // namespace korva
