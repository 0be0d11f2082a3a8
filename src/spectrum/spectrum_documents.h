#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
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

  // The buffer holds counts that were not written to a file since they
  // last changed. Connecting loads the instrument's memory into the buffer,
  // so it asks first while this holds.
  bool BufferHoldsUnsavedCounts() const {
    const auto& counts = buffer.image.spectrum;
    const bool any = std::any_of(counts.begin(), counts.end(), [](std::uint32_t c) { return c != 0; });
    return any && bufferSavedDigest != CountsDigest(buffer);
  }
  // The active spectrum was written to a file: when it is the buffer, its
  // counts as they are now count as saved.
  void MarkActiveSaved() {
    if (BufferActive()) bufferSavedDigest = CountsDigest(buffer);
  }

 private:
  static std::size_t CountsDigest(const CSpectrum& spectrum) {
    const auto& counts = spectrum.image.spectrum;
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(counts.data()), counts.size() * sizeof(counts[0])));
  }
  std::optional<std::size_t> bufferSavedDigest;
};

}  // namespace korva
