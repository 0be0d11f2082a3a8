#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QXmlStreamReader>
#include <map>

#include "measurement_fixture.h"
#include "tdcr/qt_measurement_save_dialogs.h"

namespace korva {
namespace {

// The texts of an XML file's elements by their path ("a/b/c"), read with a
// real parser; a parse error fails the test.
std::map<std::string, std::string> ParseXml(const std::string& text) {
  std::map<std::string, std::string> texts;
  QXmlStreamReader reader(QByteArray::fromStdString(text));
  QStringList path;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement:
        path << reader.name().toString();
        break;
      case QXmlStreamReader::EndElement:
        path.removeLast();
        break;
      case QXmlStreamReader::Characters:
        texts[path.join(u'/').toStdString()] += reader.text().toString().toStdString();
        break;
      default:
        break;
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << " at line " << reader.lineNumber();
  return texts;
}

class MeasurementXmlTest : public ::testing::Test, protected test::MeasurementFixture {};

TEST_F(MeasurementXmlTest, FreeTextsWithMarkupCharactersKeepTheXmlWellFormed) {
  dialogs.tag = "<b>Vial & 7</b> ]]>";
  tdcr.SetRecordTexts({"A & B <lab>", "H-3 \x01<", "\"cocktail\" 'x'", "<hv>"});
  const RegisterImage saved = image.registers;
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  auto texts = ParseXml(test::ReadFile(folder / "meas.xml"));

  const std::string settings = "Veltra_Measurement/settings/";
  EXPECT_EQ(texts[settings + "tag"], "<b>Vial & 7</b> ]]>");
  EXPECT_EQ(texts[settings + "operator"], "A & B <lab>");
  EXPECT_EQ(texts[settings + "nuclides"], "H-3 <");
  EXPECT_EQ(texts[settings + "coctail"], "\"cocktail\" 'x'");
  EXPECT_EQ(texts[settings + "acquisition/stop_timer"], " LIVE A1");
  EXPECT_EQ(texts["Veltra_Measurement/measurement_start/time_reference"], " UTC");
  EXPECT_EQ(texts["Veltra_Measurement/data/run1/single_channel/counts/dead_time_extension/RAW/A"],
            "6000000123");
  EXPECT_EQ(texts["Veltra_Measurement/data/run2/start/time"], "14:05:11.623");
  EXPECT_EQ(texts.count("Veltra_Measurement/data/run3/coincidence/rate/dead_time_extension/E2/"
                        "coincidence_window/M/T"),
            1u);
  EXPECT_EQ(texts.count("Veltra_Measurement/data/run4/real_time"), 0u);

  EXPECT_EQ(texts["Veltra_Measurement/registers/size"], "128");
  const QStringList dump = QString::fromStdString(texts["Veltra_Measurement/registers/data"])
                               .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  ASSERT_EQ(dump.size(), 128);
  for (std::size_t r = 0; r < saved.size(); ++r) EXPECT_EQ(dump[static_cast<int>(r)].toUInt(), saved[r]) << r;
}

// Runs `act` on the modal dialog `show` brings up.
template <typename Result>
Result WithModal(const std::function<Result()>& show, const std::function<void(QWidget&)>& act) {
  QTimer::singleShot(0, [act] { act(*QApplication::activeModalWidget()); });
  return show();
}

TEST(MeasurementSaveDialogsTest, TagDialogGivesTheEditedTagOnlyOnOk) {
  QtMeasurementSaveDialogs dialogs(nullptr);
  const auto editTag = [&dialogs] { return dialogs.EditTag("TDCR Measurement"); };
  const auto edited = WithModal<std::optional<std::string>>(editTag, [](QWidget& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Tag");
    auto* tag = dialog.findChild<QLineEdit*>(QStringLiteral("tag"));
    EXPECT_EQ(tag->text(), "TDCR Measurement");
    EXPECT_EQ(tag->maxLength(), 100);
    tag->setText(QStringLiteral("Vial 7"));
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  EXPECT_EQ(edited, "Vial 7");
  const auto cancelled = WithModal<std::optional<std::string>>(editTag, [](QWidget& dialog) {
    dialog.findChild<QLineEdit*>(QStringLiteral("tag"))->setText(QStringLiteral("lost"));
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  EXPECT_EQ(cancelled, std::nullopt);
}

}  // namespace
}  // namespace korva
