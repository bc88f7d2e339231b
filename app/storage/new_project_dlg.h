// The "New Project" dialog: the project information in a two-column grid
// (the rows of editing/project_info.h a new project is given) and the
// project whose structure the new one is based upon.
#pragma once

#include "editing/project_info.h"
#include "model/project.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vandro {

class TNewProjectDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TNewProjectDlg(const TProjectInfo& preset, QWidget* parent = nullptr);

  // What the user typed (code page 1251); meaningful after OK.
  const TProjectInfo& Info() const { return info_; }
  const std::string& BasePath() const { return basePath_; }

  QTableWidget* Grid() const { return grid_; }
  // The grid row that holds the row of the project information; -1 when
  // the grid has none (the dates).
  int GridRow(TInfoRow row) const;
  QLineEdit* BaseEdit() const { return base_; }
  QPushButton* BrowseButton() const { return browse_; }

  // Takes the base project the user picked; a file that is not there is
  // refused with "File doesn't exist: " + path.
  void SetBaseProject(const QString& path);

  void accept() override;

private:
  void Browse();

  std::vector<TInfoRowText> rows_;
  TProjectInfo info_;
  std::string basePath_;
  QTableWidget* grid_;
  QLineEdit* base_;
  QPushButton* browse_;
};

// The dialog for a new project at path (its name preset to the file's name),
// then the project's creation. closeOpen runs between the two: creating
// closes the open project, which the user may refuse (false). False when
// cancelled or when creation failed; the new project is left closed for the
// caller to open.
bool NewProject(
    const std::string& path, QWidget* parent,
    const std::function<bool()>& closeOpen = [] { return true; });

} // namespace vandro
