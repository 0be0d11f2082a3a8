#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <span>
#include <string>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QScrollArea;
class QWidget;

namespace korva {

// The parts both TDCR forms are built from.

// A form's own colours: its background and the colour of its captions and
// readings. They stay whatever the application look.
struct FormColours {
  QColor background;
  QColor text;
};

// A new form drawn in `colours`, shown as the scrolled contents of `view`:
// it scrolls when the pane is smaller than it. Controls built on it take
// their colours from it.
QWidget* NewScrolledForm(QScrollArea& view, const FormColours& colours);

// A read-only box of a reading: monospace, right-aligned, wide enough for
// `characters` digits, drawn on the form's background.
QLineEdit* NewReadingBox(const QString& objectName, int characters, QWidget* parent);
// The width of a reading box that shows an estimated threshold ("%d").
inline constexpr int kEstimateWidth = 10;
// The width of a reading box of a number printed "%10.3f" or "%10.6f".
inline constexpr int kDecimalReadingWidth = 10;
// A drop-down list of `entries`, texts exactly as given.
QComboBox* NewList(const QString& objectName, const QStringList& entries, QWidget* parent);
// A group box with a grid of caption and field pairs.
struct FormGroup {
  QGroupBox* box;
  QGridLayout* grid;
};
FormGroup NewGroup(const QString& title, QWidget* parent);
// Puts a caption and its field side by side into row `row` of a group's
// grid, as its `pair`-th pair from the left.
void AddField(QGridLayout& grid, int row, int pair, const QString& caption, QWidget* field);

// "1" .. "count".
QStringList NumberEntries(int count);
// The entries of a list kept as texts of the measurement.
QStringList ListEntries(std::span<const char* const> texts);

// Puts `text` into a box unless it already shows it, so an unchanged text
// keeps its caret and selection.
void ShowText(QLineEdit& box, const std::string& text);
// Selects `index` without reporting it as the user's choice.
void ShowSelection(QComboBox& list, int index);

}  // namespace korva
