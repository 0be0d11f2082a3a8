#pragma once

#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace korva::test {

// A private PostgreSQL server for one test: a scratch data folder, a Unix
// socket in a scratch folder and no TCP port, run as an unprivileged user
// (the server refuses root), stopped and removed with the object.
class PostgresServer {
 public:
  // None, with `whyNot`, when no server can be started here.
  static std::unique_ptr<PostgresServer> Start(QString& whyNot) {
    const QString bin = ServerBinaries();
    if (bin.isEmpty()) {
      whyNot = QStringLiteral(
          "no PostgreSQL server programs under /usr/lib/postgresql (Debian package postgresql)");
      return nullptr;
    }
    std::unique_ptr<PostgresServer> server(new PostgresServer(bin));
    if (!server->Run({bin + "/initdb", "-D", server->Data(), "-U", "korva", "-A", "trust", "--no-sync", "-E",
                      "UTF8", "--locale=C"},
                     whyNot) ||
        !server->Run({bin + "/pg_ctl", "-D", server->Data(), "-l", server->folder_ + "/log", "-w", "-o",
                      "-k " + server->folder_ + " -c listen_addresses='' -F", "start"},
                     whyNot)) {
      return nullptr;
    }
    server->started_ = true;
    return server;
  }

  ~PostgresServer() {
    QString ignored;
    if (started_) Run({bin_ + "/pg_ctl", "-D", Data(), "-m", "immediate", "-w", "stop"}, ignored);
    std::error_code error;
    std::filesystem::remove_all(folder_.toStdString(), error);
  }

  // A new database on the server and the archive URL that names it.
  QString CreateDatabase(const QString& name) {
    QString error;
    Run({bin_ + "/createdb", "-h", folder_, "-U", "korva", name}, error);
    return QStringLiteral("postgresql://korva@localhost/%1?host=%2").arg(name, folder_);
  }

 private:
  explicit PostgresServer(QString bin) : bin_(std::move(bin)) {
    char pattern[] = "/tmp/korva-pg-XXXXXX";
    folder_ = QString::fromLocal8Bit(::mkdtemp(pattern));
    // The server's user must be able to write here.
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                       QFileDevice::ReadOther | QFileDevice::WriteOther |
                                       QFileDevice::ExeOther);
  }

  static QString ServerBinaries() {
    const QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto version = versions.rbegin(); version != versions.rend(); ++version) {
      const QString bin = QStringLiteral("/usr/lib/postgresql/") + *version + QStringLiteral("/bin");
      if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
    }
    return {};
  }

  QString Data() const { return folder_ + QStringLiteral("/data"); }

  // Runs a server program, as "nobody" when this process is root.
  bool Run(QStringList command, QString& whyNot) const {
    if (::geteuid() == 0) command = QStringList{"-u", "nobody", "--"} + command;
    const QString program = ::geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst();
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder_);
    process.start(program, command);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
      return true;
    whyNot =
        QStringLiteral("%1 failed: %2").arg(command.join(' '), QString::fromLocal8Bit(process.readAll()));
    return false;
  }

  QString bin_;
  QString folder_;
  bool started_ = false;
};

}  // namespace korva::test
