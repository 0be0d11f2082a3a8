#include "tdcr/tdcr_panes.h"

#include <QPointer>

#include "tdcr/tdcr_counters_view.h"
#include "tdcr/tdcr_view.h"

namespace korva {

CTDCRWnd::CTDCRWnd(TdcrMeasurement& measurement, QWidget* parent)
    : DockPane(
          QStringLiteral("TDCR"), QStringLiteral("TdcrPane"),
          [&measurement](QWidget* pane) { return new CTDCRView(measurement, pane); },
          QStringLiteral("Failed in creating TDCR View"), parent) {}

CTDCRView* CTDCRWnd::TdcrView() const { return qobject_cast<CTDCRView*>(View()); }

CTDCRWndCnt::CTDCRWndCnt(TdcrMeasurement& measurement, QWidget* parent)
    : DockPane(
          QStringLiteral("TDCR COUNTERS"), QStringLiteral("TdcrCountersPane"),
          [&measurement](QWidget* pane) { return new CTDCRViewCnt(measurement, pane); },
          QStringLiteral("Failed in creating TDCR Counters"), parent, ViewCreation::kWhenNeeded) {}

CTDCRViewCnt* CTDCRWndCnt::CountersView() const { return qobject_cast<CTDCRViewCnt*>(View()); }

void RedrawOnRefresh(TdcrMeasurement& measurement, CTDCRWnd& tdcrPane, CTDCRWndCnt& countersPane) {
  measurement.SetRefreshListener(
      [tdcr = QPointer<CTDCRWnd>(&tdcrPane), counters = QPointer<CTDCRWndCnt>(&countersPane)] {
        if (CTDCRView* view = tdcr ? tdcr->TdcrView() : nullptr) view->Redraw();
        // Counters built later draw the measurement as it then is.
        if (auto* view = qobject_cast<CTDCRViewCnt*>(counters ? counters->BuiltView() : nullptr))
          view->Redraw();
      });
}

}  // namespace korva
