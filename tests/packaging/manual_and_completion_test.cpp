// The manual pages and the bash completion name every command, action and
// option the programs accept, as their own --help lists them; a command
// added to the tool without documentation fails here.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace korva {
namespace {

// A command of korva-tdcr-cli: its second words ("save", "upload") and its options.
struct ToolCommand {
  QStringList actions;
  QStringList options;
};

QString HelpOf(const QString& program) {
  QProcess process;
  process.start(program, {QStringLiteral("--help")});
  EXPECT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList OptionsIn(const QString& text) {
  static const QRegularExpression kOption(QStringLiteral("--[a-z0-9][a-z0-9-]*"));
  QStringList options;
  for (const auto& match : kOption.globalMatch(text)) options << match.captured();
  options.removeDuplicates();
  return options;
}

// Reads the usage lines of the tool's --help: "korva-tdcr-cli [--archive URL] NAME
// [ACTION|ACTION] ..." and the indented lines that continue them.
QMap<QString, ToolCommand> CommandsOfTool() {
  static const QRegularExpression kCommandLine(
      QStringLiteral("^(?:usage: )?\\s*korva-tdcr-cli (?:\\[--archive URL\\] )?(\\S+) ?(\\S*)"));
  static const QRegularExpression kActions(QStringLiteral("^[a-z][a-z-]*(\\|[a-z][a-z-]*)*$"));
  QMap<QString, ToolCommand> commands;
  QString current;
  for (const QString& line : HelpOf(QStringLiteral(KORVA_CLI_PATH)).split('\n')) {
    const QRegularExpressionMatch match = kCommandLine.match(line);
    if (match.hasMatch()) {
      // "korva-tdcr-cli --help | --version" ends the commands.
      current = match.captured(1).startsWith(QStringLiteral("--")) ? QString() : match.captured(1);
      if (current.isEmpty()) continue;
      if (kActions.match(match.captured(2)).hasMatch())
        commands[current].actions << match.captured(2).split('|');
      commands[current].options << OptionsIn(line.mid(match.capturedEnd(1)));
    } else if (line.startsWith(' ') && !current.isEmpty()) {
      commands[current].options << OptionsIn(line);
    } else {
      current.clear();
    }
  }
  return commands;
}

QString PackagingFile(const QString& name) {
  QFile file(QStringLiteral(KORVA_PACKAGING_DIR "/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  return QString::fromUtf8(file.readAll());
}

// A manual page as plain text for searching: roff's escaped hyphens as hyphens.
QString ManualPage(const QString& name) {
  return PackagingFile(QStringLiteral("man/") + name).replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

bool HasWord(const QString& text, const QString& word) {
  return text.contains(QRegularExpression(
      QStringLiteral("(?<![a-z0-9-])") + QRegularExpression::escape(word) + QStringLiteral("(?![a-z0-9-])")));
}

// The entry of each command in the manual page: from ".SS NAME" to the next heading.
QMap<QString, QString> ManualEntries(const QString& page) {
  static const QRegularExpression kEntry(
      QStringLiteral("^\\.SS (\\S+)\\n(.*?)(?=^\\.S[SH] )"),
      QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
  QMap<QString, QString> entries;
  for (const auto& match : kEntry.globalMatch(page)) entries[match.captured(1)] = match.captured(2);
  return entries;
}

// The line of each command in the completion's case: "    NAME) ... ;;".
QMap<QString, QString> CompletionLines(const QString& script) {
  static const QRegularExpression kLine(QStringLiteral("^    ([a-z][a-z-]*)\\)(.*);;$"),
                                        QRegularExpression::MultilineOption);
  QMap<QString, QString> lines;
  for (const auto& match : kLine.globalMatch(script)) lines[match.captured(1)] = match.captured(2);
  return lines;
}

TEST(ToolDocumentation, TheManualPageHasAnEntryForEveryCommandWithItsActionsAndOptions) {
  const QMap<QString, ToolCommand> commands = CommandsOfTool();
  ASSERT_GE(commands.size(), 10);
  const QMap<QString, QString> entries = ManualEntries(ManualPage(QStringLiteral("korva-tdcr-cli.1")));
  for (auto command = commands.begin(); command != commands.end(); ++command) {
    ASSERT_TRUE(entries.contains(command.key())) << "no manual entry for " << command.key().toStdString();
    const QString& entry = entries[command.key()];
    for (const QString& word : command->actions + command->options) {
      EXPECT_TRUE(HasWord(entry, word)) << command.key().toStdString() << ": " << word.toStdString();
    }
  }
  for (const QString& documented : entries.keys()) {
    EXPECT_TRUE(commands.contains(documented)) << "the tool has no command " << documented.toStdString();
  }
}

TEST(ToolDocumentation, TheCompletionOffersEveryCommandWithItsActionsAndOptions) {
  const QMap<QString, ToolCommand> commands = CommandsOfTool();
  const QString script = PackagingFile(QStringLiteral("completion/korva-tdcr-cli"));
  const QRegularExpressionMatch list =
      QRegularExpression(QStringLiteral("local commands=\"([^\"]*)\"")).match(script);
  ASSERT_TRUE(list.hasMatch());
  const QStringList offered = list.captured(1).split(' ', Qt::SkipEmptyParts);
  const QMap<QString, QString> lines = CompletionLines(script);
  for (auto command = commands.begin(); command != commands.end(); ++command) {
    EXPECT_TRUE(offered.contains(command.key())) << command.key().toStdString();
    ASSERT_TRUE(lines.contains(command.key())) << "no completion for " << command.key().toStdString();
    for (const QString& word : command->actions + command->options) {
      EXPECT_TRUE(HasWord(lines[command.key()], word))
          << command.key().toStdString() << ": " << word.toStdString();
    }
  }
  for (const QString& completed : offered)
    EXPECT_TRUE(commands.contains(completed)) << completed.toStdString();
}

TEST(ToolDocumentation, TheVirtualInstrumentsManualPageNamesEveryOption) {
  const QStringList options = OptionsIn(HelpOf(QStringLiteral(KORVA_SIM_PATH)));
  ASSERT_GE(options.size(), 20);
  const QString page = ManualPage(QStringLiteral("veltra-sim.1"));
  for (const QString& option : options) EXPECT_TRUE(HasWord(page, option)) << option.toStdString();
}

}  // namespace
}  // namespace korva
