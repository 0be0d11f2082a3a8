#pragma once

#include <QStringList>

class QComboBox;

namespace korva {

// The VIEW RUN list of both views: "In Progress", then "1" .. "64".
QStringList ViewRunEntries();
// Cuts or extends a VIEW RUN list to "In Progress" and the runs "1" ..
// "runs" (those the measurement holds, and the one shown), and selects
// `index` among them, without reporting either as the user's choice.
void ShowViewRun(QComboBox& list, int runs, int index);

}  // namespace korva
