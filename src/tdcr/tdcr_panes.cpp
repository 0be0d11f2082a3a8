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
          QStringLiteral("Failed in creating TDCR Counters"), parent) {}

CTDCRViewCnt* CTDCRWndCnt::CountersView() const { return qobject_cast<CTDCRViewCnt*>(View()); }

void RedrawOnRefresh(TdcrMeasurement& measurement, CTDCRWnd& tdcrPane, CTDCRWndCnt& countersPane) {
  measurement.SetRefreshListener([tdcr = QPointer<CTDCRView>(tdcrPane.TdcrView()),
                                  counters = QPointer<CTDCRViewCnt>(countersPane.CountersView())] {
    if (tdcr) tdcr->Redraw();
    if (counters) counters->Redraw();
  });
}

}  // namespace korva
