#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/beta_emitter.h"

namespace korva::sim {
namespace {

ParsedCommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

TEST(SimOptions, EveryOptionReachesItsSetting) {
  const ParsedCommandLine parsed = Parse({"--serial",
                                          "42",
                                          "--model=RQ3101",
                                          "--firmware",
                                          "2.29",
                                          "--fpga",
                                          "4.7",
                                          "--baud",
                                          "0",
                                          "--link",
                                          "/tmp/veltra",
                                          "--drop",
                                          "0.5",
                                          "--corrupt",
                                          "1",
                                          "--truncate",
                                          "0",
                                          "--delay",
                                          "250",
                                          "--silent",
                                          "--seed",
                                          "99",
                                          "--fault-next",
                                          "3",
                                          "--fault-only",
                                          "writes"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const SimOptions& options = *parsed.options;
  EXPECT_EQ(options.server.identity.serialNumber, 42);
  EXPECT_EQ(options.server.identity.model, Model::kRQ3101);
  EXPECT_EQ(options.server.identity.firmwareVersionX100, 229) << "2.29 x 100 is not exact in binary";
  EXPECT_EQ(options.server.identity.fpgaVersionX10, 47);
  EXPECT_EQ(options.server.baud, 0u);
  EXPECT_EQ(options.linkPath, "/tmp/veltra");
  const FaultOptions& faults = options.server.faults;
  EXPECT_EQ(faults.dropProbability, 0.5);
  EXPECT_EQ(faults.corruptProbability, 1.0);
  EXPECT_EQ(faults.delay.count(), 250);
  EXPECT_TRUE(faults.silent);
  EXPECT_EQ(options.server.seed, 99u);
  EXPECT_EQ(faults.seed, 99u);
  EXPECT_EQ(faults.next, 3u);
  EXPECT_EQ(faults.only, RequestKind::kRegisterWrite);
}

TEST(SimOptions, EveryNuclideFillsBothVials) {
  for (const BetaEmitter& emitter : BetaEmitters()) {
    SCOPED_TRACE(emitter.name);
    const ParsedCommandLine parsed = Parse({"--nuclide", emitter.name});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->server.tdcr.nuclide, emitter.name);
    EXPECT_EQ(parsed.options->server.spectrum.nuclide, emitter.nuclide) << "the analyser sees the same vial";
    EXPECT_NE(UsageText().find(emitter.name), std::string_view::npos);
  }
  EXPECT_EQ(Parse({"--nuclide", "Bi-207"}).options->server.spectrum.nuclide, Nuclide::kBi207);
}

TEST(SimOptions, ThePulseTimingOptionsReachTheVial) {
  const ParsedCommandLine parsed =
      Parse({"--prompt-ns", "2.5", "--delayed-fraction", "0.1", "--delayed-ns", "80", "--jitter-ns", "0"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const PulseTiming& timing = parsed.options->server.tdcr.timing;
  EXPECT_EQ(timing.promptNs, 2.5);
  EXPECT_EQ(timing.delayedFraction, 0.1);
  EXPECT_EQ(timing.delayedNs, 80.0);
  EXPECT_EQ(timing.jitterNs, 0.0);
  for (const auto& args : std::vector<std::vector<std::string_view>>{{"--prompt-ns", "0"},
                                                                     {"--delayed-fraction", "1.2"},
                                                                     {"--delayed-ns", "-3"},
                                                                     {"--jitter-ns", "x"}}) {
    EXPECT_FALSE(Parse(args).options) << args[0];
  }
}

TEST(SimOptions, TheLightFactorScalesTheYieldWhereverLambdaIsGiven) {
  // 0.83 photoelectrons per keV through a filter passing 40 %: 0.332 per keV.
  for (const auto& args : std::vector<std::vector<std::string_view>>{
           {"--light-factor", "0.4", "--lambda", "0.83"}, {"--lambda", "0.83", "--light-factor=0.4"}}) {
    const ParsedCommandLine parsed = Parse(args);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_DOUBLE_EQ(parsed.options->server.tdcr.photoelectronsPerKeV, 0.332);
    EXPECT_DOUBLE_EQ(parsed.options->server.spectrum.photoelectronsPerKeV, 0.332);
  }
  EXPECT_FALSE(Parse({"--light-factor", "0"}).options);
  EXPECT_FALSE(Parse({"--light-factor", "1.5"}).options);
}

TEST(SimOptions, WrongCommandLinesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string_view>> wrong = {
      {"--drop", "1.5"},     {"--corrupt", "-0.1"},      {"--serial", "70000"}, {"--model", "RQ3103"},
      {"--baud", "fast"},    {"--fault-only", "eeprom"}, {"--serial"},          {"--verbose"},
      {"--firmware", "400"}, {"--delay", "-5"},
  };
  for (const auto& args : wrong) {
    const ParsedCommandLine parsed = Parse(args);
    EXPECT_FALSE(parsed.options) << args[0];
    EXPECT_FALSE(parsed.error.empty());
  }
}

}  // namespace
}  // namespace korva::sim
