#pragma once

#include <QTest>

#include "forms/dock_pane.h"
#include "shell/main_frame.h"

namespace korva::test {

// Shows the window and waits until every pane has built its view, as the
// panes behind others do once the window is up.
inline bool ShowWithEveryPaneBuilt(CMainFrame& frame) {
  frame.show();
  return QTest::qWaitFor([&frame] {
    for (const DockPane* pane : frame.findChildren<DockPane*>()) {
      if (pane->BuiltView() == nullptr && !pane->ViewFailed()) return false;
    }
    return true;
  });
}

}  // namespace korva::test
