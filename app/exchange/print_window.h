// File: Print of the window in front. The project manager, the group table
// view and the modal windows print their grid as a table, page after page
// with the column titles on each; any other child window prints its image
// (a chart window its chart).
#pragma once

class QAbstractItemView;
class QPrinter;
class QString;
class QWidget;

namespace vandro {

// The window File: Print prints: the modal window in front, else the active
// child window of the main window's area; null when there is none.
QWidget* WindowToPrint(QWidget* activeChild);

// The grid window prints as a table: the largest grid with rows on what it
// shows (its current page), when window is one that prints its grid; else
// null, and the window prints as its image.
QAbstractItemView* GridToPrint(QWidget* window);

// Prints the rows of view's model under title, as many pages as they need.
void PrintGrid(const QAbstractItemView& view, const QString& title, QPrinter& printer);

// Prints window: its grid as a table, or its image scaled to the page.
void PrintWindow(QWidget* window, QPrinter& printer);

// The program's printer: File: Print Setup sets it up, every print uses it.
QPrinter& AppPrinter();
// Qt's print dialog, then window printed on the printer chosen; false when
// the dialog was cancelled. The modal windows, which keep the menu out of
// reach, print themselves through this (Ctrl+P on their grids).
bool PrintWithDialog(QWidget* window);

} // namespace vandro
