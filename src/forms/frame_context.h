#pragma once

class QMainWindow;

namespace korva {

class InstrumentSession;
class Prompt;
class SettingsStore;
class SystemTimeServices;
class TimeReferenceState;
struct SpectrumDocuments;

// What the main window shares with every subsystem it hosts. The window
// owns all of it and outlives the parts.
struct FrameContext {
  QMainWindow& window;
  InstrumentSession& instrument;
  Prompt& prompt;
  SettingsStore& settings;
  SpectrumDocuments& spectra;
  // The measurement time reference START stamps follow, for TDCR
  // measurements and spectrum acquisitions alike.
  TimeReferenceState& timeReference;
  SystemTimeServices& timeServices;
};

}  // namespace korva
