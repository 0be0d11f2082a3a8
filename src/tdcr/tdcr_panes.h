#pragma once

#include "forms/dock_pane.h"

namespace korva {

class CTDCRView;
class CTDCRViewCnt;
class TdcrMeasurement;

// The dockable pane "TDCR" with the TDCR form.
class CTDCRWnd : public DockPane {
  Q_OBJECT

 public:
  CTDCRWnd(TdcrMeasurement& measurement, QWidget* parent);
  // The form, or null when it could not be created.
  CTDCRView* TdcrView() const;
};

// The dockable pane "TDCR COUNTERS" with the counters view, built when
// first needed: the view draws the measurement as it is then.
class CTDCRWndCnt : public DockPane {
  Q_OBJECT

 public:
  CTDCRWndCnt(TdcrMeasurement& measurement, QWidget* parent);
  // The view, or null when it could not be created.
  CTDCRViewCnt* CountersView() const;
};

// Makes both views redraw after every refresh of the measurement, whichever
// of them, the device link or the file writer started it; this is also how
// VIEW RUN of one view shows in the other. A pane already destroyed is
// left out.
void RedrawOnRefresh(TdcrMeasurement& measurement, CTDCRWnd& tdcrPane, CTDCRWndCnt& countersPane);

}  // namespace korva
