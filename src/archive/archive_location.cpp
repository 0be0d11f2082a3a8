#include "archive/archive_location.h"

#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include "common/settings_store.h"

namespace korva {

namespace {

// The connection parameters of a libpq connection URI's query the archive
// honours (PostgreSQL documentation, "Connection URIs" and "Parameter Key
// Words"): each overrides what the URI's other parts say.
bool ApplyQueryItem(ArchiveLocation& location, const QString& key, const QString& value, QString& error) {
  if (key == QStringLiteral("host")) {
    location.host = value;
  } else if (key == QStringLiteral("port")) {
    bool number = false;
    const int port = value.toInt(&number);
    if (!number || port < 1 || port > 65535) {
      error = QStringLiteral("the archive URL's port is not a port number from 1 to 65535: ") + value;
      return false;
    }
    location.port = port;
  } else if (key == QStringLiteral("user")) {
    location.user = value;
  } else if (key == QStringLiteral("password")) {
    location.password = value;
  } else if (key == QStringLiteral("dbname")) {
    location.database = value;
  } else if (key == QStringLiteral("sslmode")) {
    static const QStringList kModes = {"disable", "allow", "prefer", "require", "verify-ca", "verify-full"};
    if (!kModes.contains(value)) {
      error = QStringLiteral("the archive URL's sslmode is not one of %1: %2").arg(kModes.join(", "), value);
      return false;
    }
    location.sslMode = value;
  } else {
    error = QStringLiteral(
                "the archive URL's parameter %1 is not one the archive takes "
                "(host, port, user, password, dbname, sslmode)")
                .arg(key);
    return false;
  }
  return true;
}

std::optional<ArchiveLocation> PostgresLocation(const QUrl& url, QString& error) {
  ArchiveLocation location;
  location.dialect = SqlDialect::kPostgres;
  location.host = url.host();
  location.port = url.port(5432);
  location.database = url.path().mid(1);
  location.user = url.userName();
  location.password = url.password();
  for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
    if (!ApplyQueryItem(location, key, value, error)) return std::nullopt;
  }
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
  QUrlQuery query;
  if (host.startsWith(QLatin1Char('/'))) {
    url.setHost(QStringLiteral("localhost"));
    query.addQueryItem(QStringLiteral("host"), host);
  } else {
    url.setHost(host);
  }
  if (!sslMode.isEmpty()) query.addQueryItem(QStringLiteral("sslmode"), sslMode);
  url.setQuery(query);
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
