#pragma once

#include <functional>
#include <vector>

#include "spectrum/setup_links.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// The two spectrum records the program keeps and which one is shown: the
// buffer spectrum carries the connected instrument's image, the file
// spectrum a spectrum loaded from disk. The active one is the target of
// every spectrum command and the source the views decode from.
struct SpectrumDocuments {
  CSpectrum buffer;
  CSpectrum file;
  CSpectrum* active = &buffer;

  bool BufferActive() const { return active == &buffer; }
  bool FileActive() const { return active == &file; }

  // Shows `spectrum` (the buffer or the file record) and tells every view
  // that decodes from the active spectrum.
  void Activate(CSpectrum& spectrum) {
    active = &spectrum;
    for (const auto& listener : activationListeners) listener();
  }
  std::vector<std::function<void()>> activationListeners;
  // Run before the active spectrum is written to a spectrum file, so a view
  // can put what it holds back into the record first.
  void PrepareSave() {
    for (const auto& listener : beforeSaveListeners) listener();
  }
  std::vector<std::function<void()>> beforeSaveListeners;
  SetupLinks setupLinks;
};

}  // namespace korva
