// "Edit Template": a template's name, its naming rule, its parameter lines
// and its actions. The rules are the template editor's
// (editing/template_editor.h); this window draws its two grids and forwards
// the buttons, the drags and the name field to it. OK stores the template in
// one transaction and closes; any refusal leaves the window open with
// everything as it was typed.
#pragma once

#include "editing/template_editor.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QTableWidget;

namespace vandro {

class TTemplateEditDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TTemplateEditDlg(std::unique_ptr<TTemplateEditor> editor, QWidget* parent = nullptr);

  TTemplateEditor& Editor() { return *editor_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* NamingEdit() const { return naming_; }
  QTableWidget* LinesGrid() const { return lines_; }
  QTableWidget* ActionsGrid() const { return actions_; }

  // The buttons, as the user presses them.
  void DefineNaming();
  void AddLine();
  void EditLine();
  void DeleteLine();
  void AddAction();
  void EditAction();
  void DeleteAction();
  // Dragging a row onto another row of the same grid.
  void DragLine(int from, int to);
  void DragAction(int from, int to);
  void accept() override;

private:
  void FillLines(int current);
  void FillActions(int current);
  void NameLeft();
  bool eventFilter(QObject* watched, QEvent* event) override;

  std::unique_ptr<TTemplateEditor> editor_;
  QLineEdit* name_;
  QLineEdit* naming_;
  QTableWidget* lines_;
  QTableWidget* actions_;
  int dragFrom_ = -1;
  QTableWidget* dragGrid_ = nullptr;
};

} // namespace vandro
