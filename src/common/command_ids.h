#pragma once

// The program's command ids: menu entries, toolbar buttons and their
// shortcuts are found by these numbers, in the program and in its tests.
namespace korva::command {

// The frame's own commands.
inline constexpr int kExit = 57665;
inline constexpr int kStatusBar = 59393;
inline constexpr int kRestoreLayout = 32840;
inline constexpr int kDefaultLayout = 32914;
inline constexpr int kAbout = 57664;

// Hardware.
inline constexpr int kPort = 32779;
inline constexpr int kAutoConnect = 32794;
inline constexpr int kConnect = 32895;
inline constexpr int kDisconnect = 32893;
inline constexpr int kAboutHardware = 32860;
inline constexpr int kCopyRegistersBufferToFile = 32842;
inline constexpr int kCopyRegistersFileToBuffer = 32843;

// Utility.
inline constexpr int kFpga = 32890;
inline constexpr int kArchiveLocation = 33121;

// TDCR measurement.
inline constexpr int kSaveTdcrAs = 32844;
inline constexpr int kExportAnalysis = 33101;
inline constexpr int kOpenTdcrMeasurement = 33102;
inline constexpr int kFollowLiveAnalysis = 33103;

// Spectrum files and display.
inline constexpr int kOpenSpectrum = 32771;
inline constexpr int kSaveSpectrumAs = 32775;
inline constexpr int kExportCsvHardSize = 32850;
inline constexpr int kExportCsvSoftSize = 32851;
inline constexpr int kExportN42 = 33201;
inline constexpr int kExportSpe = 33202;
inline constexpr int kSoftSize4096 = 32816;
inline constexpr int kSoftSize2048 = 32810;
inline constexpr int kSoftSize1365 = 32818;
inline constexpr int kSoftSize1024 = 32812;
inline constexpr int kSoftSize682 = 32819;
inline constexpr int kSoftSize512 = 32814;
inline constexpr int kSpectrumColour = 32789;
inline constexpr int kRoiMarkOver = 32898;
inline constexpr int kRoiFromCursor = 32899;
inline constexpr int kCopyRoiFileToBuffer = 32835;
inline constexpr int kCopyRoiBufferToFile = 32836;
inline constexpr int kCopyCalibrationFileToBuffer = 32903;
inline constexpr int kCopyCalibrationBufferToFile = 32839;
inline constexpr int kCopySpectrumPlot = 32858;
inline constexpr int kCopySpectrumWindow = 32859;
inline constexpr int kExpandAroundCursor = 32777;
inline constexpr int kCompressAroundCursor = 32778;
inline constexpr int kExpandFromLeft = 32780;
inline constexpr int kCompressFromLeft = 32782;
inline constexpr int kExpandVerticalScale = 32783;
inline constexpr int kCompressVerticalScale = 32784;
inline constexpr int kAutomaticVerticalScale = 32785;
inline constexpr int kLinearVerticalScale = 32786;
inline constexpr int kLogarithmicVerticalScale = 32787;
inline constexpr int kShowFullSpectrum = 32788;

// Trace viewer.
inline constexpr int kExportTracesRaw = 32873;
inline constexpr int kExportTracesNormalized = 32874;
inline constexpr int kCopyTraceViewer = 32856;
inline constexpr int kCopyTraceTraces = 32857;

// Spectrum acquisition.
inline constexpr int kEraseSpectrum = 32802;
inline constexpr int kStartAcquisition = 32820;
inline constexpr int kStopAcquisition = 32821;

}  // namespace korva::command
