#pragma once

#include <QObject>
#include <memory>
#include <optional>

#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class CDocablePHAPane;
class CDocableShaperPane;
class CPHAView;
class CShaperView;

// The shaper and PHA forms in the main window. After every register read
// (after the amplifier form) the pane of the instrument's mode is shown and
// its form decodes; the other form takes its threshold, so both agree on
// the lower threshold whichever mode comes next. The shaper offers the
// amplifier its normalisation compose and follows its input class.
class ShaperFramePart : public QObject, public FramePart, private EngineObserver {
  Q_OBJECT

 public:
  explicit ShaperFramePart(const FrameContext& context);
  ~ShaperFramePart() override;

  std::vector<FramePane> Panes() override;

  // The forms, or null when they could not be created.
  CShaperView* ShaperView() const;
  CPHAView* PhaView() const;

 private:
  void OnRegistersRead(bool phaMode) override;
  void ShowMode(bool phaMode);
  void OnInputClassChanged(bool inputE);

  FrameContext context_;
  std::unique_ptr<CDocableShaperPane> shaperPane_;
  std::unique_ptr<CDocablePHAPane> phaPane_;
  // The mode whose pane is shown; none before the first register read.
  std::optional<bool> phaMode_;
};

}  // namespace korva
