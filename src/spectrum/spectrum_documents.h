#pragma once

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
};

}  // namespace korva
