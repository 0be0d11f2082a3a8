#include "forms/dock_pane.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

namespace korva {
namespace {

// A pane that waits, and how often its view was built.
struct CountedPane {
  CountedPane(const QString& name, QMainWindow& window, bool fails = false)
      : pane(
            name, name,
            [this, fails](QWidget* parent) -> QWidget* {
              ++built;
              return fails ? nullptr : new QLabel(QStringLiteral("view"), parent);
            },
            QStringLiteral("no view"), &window, DockPane::ViewCreation::kWhenNeeded),
        created(&pane, &DockPane::ViewCreated) {}

  int built = 0;
  DockPane pane;
  QSignalSpy created;
};

// Panes in tabs: the one in front builds its view when the window first
// shows, one behind it only when its tab comes to the front.
TEST(DockPaneTest, APaneBehindAnotherTabWaitsUntilItsTabComesToTheFront) {
  QMainWindow window;
  window.setCentralWidget(new QWidget(&window));
  CountedPane front(QStringLiteral("Front"), window);
  CountedPane behind(QStringLiteral("Behind"), window);
  window.addDockWidget(Qt::TopDockWidgetArea, &front.pane);
  window.tabifyDockWidget(&front.pane, &behind.pane);
  front.pane.raise();
  EXPECT_EQ(front.built + behind.built, 0) << "built before the window showed";

  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(front.built, 1);
  EXPECT_NE(front.pane.BuiltView(), nullptr);
  EXPECT_EQ(behind.built, 0);
  EXPECT_EQ(behind.pane.BuiltView(), nullptr);
  EXPECT_FALSE(behind.pane.ViewFailed());

  behind.pane.raise();
  QTRY_COMPARE(behind.built, 1);
  ASSERT_EQ(behind.created.count(), 1);
  EXPECT_EQ(behind.created.front().front().value<QWidget*>(), behind.pane.View());
  EXPECT_EQ(behind.pane.widget(), behind.pane.View());

  front.pane.raise();
  QTest::qWait(0);
  EXPECT_EQ(front.built, 1) << "a view is built once";
  EXPECT_EQ(front.created.count(), 1);
}

// Asking for the view builds it at once, however often it is asked; a view
// that cannot be built leaves the failure text and says it failed.
TEST(DockPaneTest, AskingBuildsTheViewOnceAndAFailureIsShownNotRetried) {
  QMainWindow window;
  CountedPane asked(QStringLiteral("Asked"), window);
  ASSERT_NE(asked.pane.View(), nullptr);
  EXPECT_EQ(asked.pane.View(), asked.pane.BuiltView());
  EXPECT_EQ(asked.built, 1);
  EXPECT_EQ(asked.created.count(), 1);

  CountedPane failing(QStringLiteral("Failing"), window, true);
  EXPECT_FALSE(failing.pane.ViewFailed());
  EXPECT_EQ(failing.pane.View(), nullptr);
  EXPECT_EQ(failing.pane.View(), nullptr);
  EXPECT_EQ(failing.built, 1);
  EXPECT_TRUE(failing.pane.ViewFailed());
  EXPECT_EQ(failing.created.count(), 0);
  const auto* text = qobject_cast<QLabel*>(failing.pane.widget());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "no view");
}

}  // namespace
}  // namespace korva
