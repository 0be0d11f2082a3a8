#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "../cli/cli_tool.h"
#include "../support/scratch_files.h"
#include "analysis/analysis_export.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_csv.h"
#include "scope/trace_export.h"
#include "setup/register_file.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

// One file of each kind the program writes, written by the program's own
// writers (and the TDCR measurement's three reference files).
void WriteOneOfEach(const fs::path& folder) {
  fs::create_directories(folder / "spectra");
  for (const char* extension : {".tdc", ".csv", ".xml"})
    fs::copy_file(fs::path(KORVA_TDCR_GOLDEN_DIR) / (std::string("meas") + extension),
                  folder / (std::string("meas") + extension));
  CSpectrum spectrum;
  spectrum.tag = "Tritium std";
  spectrum.image.spectrum[3] = 40;
  const AcquisitionValues times{60, 59.5, 0.8, "09/12/2026  08:01:02", "START TIME: UTC"};
  ASSERT_EQ(SaveSpectrumFile(spectrum, folder / "spectra/h3.kts", {DeviceImage::kModelCodeRQ3102, times}),
            SpectrumFileStatus::kDone);
  ASSERT_EQ(ExportSpectrumCsv(spectrum, folder / "spectra/h3 export.csv", true, {"PMT A", times}),
            SpectrumFileStatus::kDone);
  ASSERT_EQ(SaveRegisterFile(folder / "set.rgv", {}), RegisterFileStatus::kDone);
  ASSERT_EQ(SaveTraceExport(folder / "traces.csv", TraceExportSource{}, TraceExportKind::kRaw),
            TraceExportStatus::kDone);
  ASSERT_FALSE(WriteAnalysisExport(AnalysisExportNamesFor(folder / "analysis"), "report\n",
                                   R"({"instrument": {"hardware": "Veltra RQ3102", "serialNumber": "00017"},
                                       "measurement": {"tag": "sample Q-17", "nuclides": "H-3"},
                                       "result": {"activity": 1234.5, "expandedUncertainty": 12.5,
                                                  "coverageFactor": 2},
                                       "provenance": {"instrument": {"model": "Veltra RQ3102",
                                                                     "firmwareVersion": "2.13"},
                                                      "timeReference": {"reference": "UTC",
                                                                        "ntpOffset": -0.0125,
                                                                        "ntpServer": "ntp.lab.example"}}})"));
}

QStringList Archive(const fs::path& file) { return {"--new-archive", QString::fromStdString(file.string())}; }

QJsonArray ListJson(const fs::path& archive, const QStringList& filter = {}) {
  const test::Outcome listed =
      test::RunTool(Archive(archive) + QStringList{"history", "list", "--json"} + filter);
  EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  return QJsonDocument::fromJson(listed.out.toUtf8()).array();
}

TEST(HistoryToolTest, ImportIndexesEachSaveOnceAndVerifyFindsMissingAndChangedFiles) {
  const test::ScratchFolder folder;
  WriteOneOfEach(folder / "lab");
  const fs::path archive = folder / "archive.sqlite";
  const test::Outcome imported = test::RunTool(
      Archive(archive) + QStringList{"history", "import", QString::fromStdString((folder / "lab").string())});
  ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
  EXPECT_EQ(imported.out.trimmed(), "Imported 6 entries; 0 already archived");
  EXPECT_EQ(test::RunTool(Archive(archive) +
                          QStringList{"history", "import", QString::fromStdString((folder / "lab").string())})
                .out.trimmed(),
            "Imported 0 entries; 6 already archived");

  const QJsonArray tdcr = ListJson(archive, {"--kind", "tdcr"});
  ASSERT_EQ(tdcr.size(), 1);
  const QJsonObject measurement = tdcr.first().toObject();
  EXPECT_EQ(measurement["files"].toArray().size(), 3);
  EXPECT_NE(measurement["result"].toString().indexOf("mean T/D"), -1);
  EXPECT_FALSE(measurement["instrument"].toObject()["model"].toString().isEmpty());
  const QJsonArray analysis = ListJson(archive, {"--text", "q-17"});
  ASSERT_EQ(analysis.size(), 1);
  EXPECT_EQ(analysis.first().toObject()["result"].toString(),
            "activity 1234.5 Bq, expanded uncertainty 12.5 Bq (k=2)");
  // The export's provenance gives the clock; the report's own block the
  // serial number the provenance left open.
  const QJsonObject analysed = analysis.first().toObject()["instrument"].toObject();
  EXPECT_EQ(analysed["timeReference"].toString(), "UTC");
  EXPECT_EQ(analysed["ntpOffsetSeconds"].toDouble(), -0.0125);
  EXPECT_EQ(analysed["ntpServer"].toString(), "ntp.lab.example");
  EXPECT_EQ(analysed["firmware"].toString(), "2.13");
  EXPECT_EQ(analysed["serialNumber"].toString(), "00017");
  EXPECT_EQ(ListJson(archive, {"--kind", "spectrum"}).first().toObject()["result"].toString(),
            "40 counts, live 59.5000 s, real 60.0000 s");

  const test::Outcome shown = test::RunTool(
      Archive(archive) + QStringList{"history", "show", QString::number(measurement["id"].toInt())});
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_NE(shown.out.indexOf("sha256"), -1);
  EXPECT_EQ(test::RunTool(Archive(archive) + QStringList{"history", "show", "9999"}).exitCode, 1);

  EXPECT_EQ(test::RunTool(Archive(archive) + QStringList{"history", "verify"}).exitCode, 0);
  fs::remove(folder / "lab/set.rgv");
  test::WriteFile(folder / "lab/meas.xml", "edited");
  const test::Outcome verified = test::RunTool(Archive(archive) + QStringList{"history", "verify"});
  EXPECT_EQ(verified.exitCode, 1);
  EXPECT_NE(verified.out.indexOf("missing\t"), -1);
  EXPECT_NE(verified.out.indexOf("set.rgv"), -1);
  EXPECT_NE(verified.out.indexOf("changed\t"), -1);
  EXPECT_NE(verified.out.indexOf("meas.xml"), -1);
}

// N42 and SPE exports are archived when the tool writes them and imported
// from a folder; an empty or foreign file with a program's file name is
// refused by name, not archived.
TEST(HistoryToolTest, ExchangeExportsAreArchivedAndForeignFilesRefusedOnImport) {
  const test::ScratchFolder folder;
  WriteOneOfEach(folder / "lab");
  const fs::path archive = folder / "archive.sqlite";
  // 40 counts in a shown channel (upper half, input A), 60 s real and 59.5 s
  // live in the registers an export takes its times from (10 ms units).
  CSpectrum spectrum;
  spectrum.DeriveHalfSelector();
  spectrum.image.spectrum[4096 + 3] = 40;
  spectrum.image.registers[56] = 6000;
  spectrum.image.registers[58] = 5950;
  const QString kts = QString::fromStdString((folder / "h3 upper.kts").string());
  ASSERT_EQ(SaveSpectrumFile(spectrum, kts.toStdString(), {}), SpectrumFileStatus::kDone);
  for (const char* format : {"n42", "spe"}) {
    const QString out = QString::fromStdString((folder / "lab" / (std::string("h3.") + format)).string());
    const test::Outcome exported = test::RunTool(
        Archive(archive) + QStringList{"export-spectrum", kts, "--format", format, "--out", out});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
  }
  const QJsonArray exports = ListJson(archive, {"--kind", "spectrum-export"});
  ASSERT_EQ(exports.size(), 2);
  for (const QJsonValue& entry : exports) {
    // h3.kts holds 40 counts in 60 s real, 59.5 s live.
    EXPECT_EQ(entry.toObject()["result"].toString(), "40 counts, live 59.5000 s, real 60.0000 s");
  }

  test::WriteFile(folder / "lab/empty.tdc", "");
  test::WriteFile(folder / "lab/random.kts", std::string("\x13\x99 not a spectrum \x01", 22));
  test::WriteFile(folder / "lab/notes.n42", "<html></html>");
  const fs::path fresh = folder / "fresh.sqlite";
  const test::Outcome imported = test::RunTool(
      Archive(fresh) + QStringList{"history", "import", QString::fromStdString((folder / "lab").string())});
  ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
  // The six of WriteOneOfEach and the two exports; three refused.
  EXPECT_EQ(imported.out.trimmed(), "Imported 8 entries; 0 already archived; 3 refused");
  for (const char* name : {"empty.tdc", "random.kts", "notes.n42"}) {
    EXPECT_TRUE(
        imported.err.contains(QString::fromStdString((folder / "lab" / name).string()) + ": not imported: "))
        << name << imported.err.toStdString();
  }
  EXPECT_EQ(ListJson(fresh, {"--kind", "spectrum-export"}).size(), 3);  // with the CSV export
}

TEST(HistoryToolTest, TheToolArchivesItsOwnSavesAndRejectsBadOptions) {
  const test::ScratchFolder folder;
  WriteOneOfEach(folder / "lab");
  const fs::path archive = folder / "archive.sqlite";
  const test::Outcome exported = test::RunTool(
      Archive(archive) + QStringList{"read-spectrum",
                                     QString::fromStdString((folder / "lab/spectra/h3.kts").string()),
                                     "--csv", QString::fromStdString((folder / "out.csv").string())});
  ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
  const QJsonArray entries = ListJson(archive, {"--since", "2000-01-01"});
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries.first().toObject()["kind"].toString(), "spectrum-export");
  // The CSV names no instrument; the entry takes the one the spectrum's
  // provenance names.
  const QJsonObject named = QJsonDocument::fromJson(exported.out.toUtf8())
                                .object()["provenance"]
                                .toObject()["instrument"]
                                .toObject();
  const QJsonObject archived = entries.first().toObject()["instrument"].toObject();
  EXPECT_FALSE(archived["model"].toString().isEmpty());
  EXPECT_EQ(archived["model"], named["model"]);
  EXPECT_EQ(archived["serialNumber"], named["serialNumber"]);

  EXPECT_EQ(test::RunTool(Archive(archive) + QStringList{"history", "list", "--kind", "nonsense"}).exitCode,
            2);
  EXPECT_EQ(
      test::RunTool(Archive(archive) + QStringList{"history", "list", "--since", "2026-02-30"}).exitCode, 2);
  EXPECT_EQ(test::RunTool({"--archive", "ftp://x/y", "history", "list"}).exitCode, 2);
  // A mistyped archive is refused, not started anew.
  const QString typo = QString::fromStdString((folder / "archvie.sqlite").string());
  const test::Outcome mistyped = test::RunTool({"--archive", typo, "history", "list"});
  EXPECT_EQ(mistyped.exitCode, 2);
  EXPECT_TRUE(mistyped.err.contains("no archive at " + typo)) << mistyped.err.toStdString();
  EXPECT_FALSE(fs::exists(folder / "archvie.sqlite"));
  // An archive that cannot be written fails the command (exit 1); the save
  // itself stands.
  test::WriteFile(folder / "damaged.sqlite", std::string(4096, 'x'));
  const test::Outcome saved = test::RunTool(
      Archive(folder / "damaged.sqlite") +
      QStringList{"read-spectrum", QString::fromStdString((folder / "lab/spectra/h3.kts").string()), "--csv",
                  QString::fromStdString((folder / "out2.csv").string())});
  EXPECT_EQ(saved.exitCode, 1);
  EXPECT_TRUE(fs::exists(folder / "out2.csv"));
  EXPECT_NE(saved.err.indexOf("damaged.sqlite"), -1);
  EXPECT_EQ(test::RunTool(Archive(folder / "damaged.sqlite") + QStringList{"history", "list"}).exitCode, 1);
}

}  // namespace
}  // namespace korva
