#include "tdcr/tdcr_frame_part.h"

#include <QMainWindow>

#include "common/command_ids.h"
#include "devicelink/instrument_session.h"
#include "tdcr/qt_measurement_save_dialogs.h"
#include "tdcr/tdcr_panes.h"
#include "timesync/system_time_services.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {

namespace {

MeasurementSaveDialogs& DialogsOrOwn(MeasurementSaveDialogs* given,
                                     std::unique_ptr<MeasurementSaveDialogs>& own, QWidget* parent) {
  if (given != nullptr) return *given;
  own = std::make_unique<QtMeasurementSaveDialogs>(parent);
  return *own;
}

}  // namespace

TdcrFramePart::TdcrFramePart(const FrameContext& context, MeasurementSaveDialogs* saveDialogs)
    : workbench_(
          context.instrument.Engine(), context.timeReference,
          [&reference = context.timeReference, &services = context.timeServices, &window = context.window] {
            ChooseTimeReference(reference, services.Tools(), &window);
          },
          DialogsOrOwn(saveDialogs, ownSaveDialogs_, &context.window), context.prompt),
      tdcrPane_(std::make_unique<CTDCRWnd>(workbench_.Measurement(), &context.window)),
      countersPane_(std::make_unique<CTDCRWndCnt>(workbench_.Measurement(), &context.window)) {
  RedrawOnRefresh(workbench_.Measurement(), *tdcrPane_, *countersPane_);
  connect(&context.instrument.Link(), &LinkSession::Connected, this, &TdcrFramePart::ShowPanes);
  connect(&context.instrument.Link(), &LinkSession::Disconnected, this,
          [this] { workbench_.Measurement().ShowLinkLost(); });
}

TdcrFramePart::~TdcrFramePart() = default;

std::vector<FrameCommand> TdcrFramePart::Commands() {
  return {{command::kSaveTdcrAs,
           kFileMenu,
           QStringLiteral("Save TDCR As..."),
           [this] { workbench_.SaveAs(); },
           {},
           QStyle::SP_DialogSaveButton,
           kStandardToolBar}};
}

std::vector<FramePane> TdcrFramePart::Panes() {
  return {{tdcrPane_.get(), Qt::TopDockWidgetArea, nullptr},
          {countersPane_.get(), Qt::TopDockWidgetArea, tdcrPane_.get()}};
}

void TdcrFramePart::ShowPanes() {
  tdcrPane_->show();
  countersPane_->show();
}

}  // namespace korva
