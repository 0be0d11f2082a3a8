#include "tdcr/view_run_list.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>

#include "forms/form_widgets.h"
#include "tdcr/tdcr_run_record.h"

namespace korva {

QStringList ViewRunEntries() {
  return QStringList{QStringLiteral("In Progress")} + NumberEntries(kLastViewRun);
}

void ShowViewRun(QComboBox& list, int runs, int index) {
  const QSignalBlocker blocker(list);
  const int entries = std::clamp(runs, 0, kLastViewRun) + 1;
  while (list.count() > entries) list.removeItem(list.count() - 1);
  while (list.count() < entries) list.addItem(QString::number(list.count()));
  list.setCurrentIndex(index);
}

}  // namespace korva
