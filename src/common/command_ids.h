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

// TDCR measurement.
inline constexpr int kSaveTdcrAs = 32844;

}  // namespace korva::command
