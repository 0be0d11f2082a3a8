// The nuclide and cocktail choices of the TDCR ANALYSIS form.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>

#include "analysis/analysis_view.h"
#include "analysis/nuclide_library.h"
#include "analysis/scintillator.h"

namespace korva {
namespace {

// The test program's application object is registered by analysis_pane_test.cpp.

TEST(AnalysisViewChoices, ListEveryNuclideWithItsDecayModeAndSourceThenFromFile) {
  AnalysisView view;
  const QComboBox& list = view.NuclideList();
  ASSERT_EQ(list.count(), static_cast<int>(KnownNuclides().size()) + 1);
  EXPECT_EQ(list.itemText(list.count() - 1), "From file...");
  const int fe55 = list.findData(QStringLiteral("Fe-55"));
  ASSERT_GE(fe55, 0);
  EXPECT_EQ(list.itemText(fe55), "Fe-55  EC  DDEP");
  EXPECT_EQ(list.itemText(list.findData(QStringLiteral("Sr-90+Y-90"))),
            "Sr-90+Y-90  beta- (2 branches)  DDEP");
  EXPECT_TRUE(list.itemData(fe55, Qt::ToolTipRole).toString().endsWith("Fe-55.nuclide"));

  const QComboBox& cocktails = view.CocktailList();
  EXPECT_EQ(cocktails.count(), static_cast<int>(KnownCocktails().size()) + 1);
  EXPECT_EQ(cocktails.itemText(0), "As recorded");
  EXPECT_TRUE(view.Settings().cocktail.empty());
}

TEST(AnalysisViewChoices, AUsersSpectrumBecomesTheNuclideAnalysedAndFromFileAsksForIt) {
  AnalysisView view;
  AnalysisSettings chosen;
  chosen.nuclide = "Tc-99";
  chosen.cocktail = "Ultima Gold";
  view.ShowSettings(chosen);
  EXPECT_EQ(view.Settings().nuclide, "Tc-99");
  EXPECT_EQ(view.Settings().cocktail, "Ultima Gold");

  QSignalSpy asked(&view, &AnalysisView::ChooseSpectrum);
  QSignalSpy changed(&view, &AnalysisView::SettingsChanged);
  view.NuclideList().setCurrentIndex(view.NuclideList().count() - 1);
  EXPECT_EQ(asked.count(), 1);
  EXPECT_EQ(changed.count(), 0);
  view.RestoreNuclideChoice();  // the user cancelled
  EXPECT_EQ(view.Settings().nuclide, "Tc-99");

  Nuclide own;
  own.name = "my-c14";
  own.file = "/tmp/my-c14.txt";
  view.ShowOwnNuclide(own);
  EXPECT_EQ(changed.count(), 1);
  const AnalysisSettings settings = view.Settings();
  EXPECT_EQ(settings.nuclide, "my-c14");
  ASSERT_TRUE(settings.ownNuclide.has_value());
  EXPECT_EQ(settings.ownNuclide->file, "/tmp/my-c14.txt");
  EXPECT_EQ(view.NuclideList().count(), static_cast<int>(KnownNuclides().size()) + 2);
  view.ShowOwnNuclide(own);  // a second file replaces the first
  EXPECT_EQ(view.NuclideList().count(), static_cast<int>(KnownNuclides().size()) + 2);
}

}  // namespace
}  // namespace korva
