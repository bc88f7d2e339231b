// The import and export windows: "Select Separator" for the unit import,
// "Import objects from table" with the preview of its file, and "Export";
// their rules are the core's (exchange/import_dialog.h, export_dialog.h).
// The File commands run them with "Wait" in the status bar and the progress
// window, whose Cancel stops an import after the line it is on.
#pragma once

#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"

#include <QDialog>
#include <QGroupBox>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vandro {

class TMainForm;

// The four separator choices with the "Other :" text.
class TSeparatorBox final : public QGroupBox {
  Q_OBJECT
public:
  explicit TSeparatorBox(QWidget* parent = nullptr);
  TSeparatorChoice Choice() const;
  void SetChoice(const TSeparatorChoice& choice);
  QRadioButton* Button(TSeparatorKind kind) const;
  QLineEdit* OtherText() const { return other_; }

signals:
  void changed();

private:
  QButtonGroup* buttons_;
  QLineEdit* other_;
};

class TSeparatorDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TSeparatorDlg(QWidget* parent);
  TSeparatorBox* Box() const { return box_; }

private:
  TSeparatorBox* box_;
};

class TImportDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TImportDlg(QWidget* parent);
  // Previews path (in code page 1251).
  void Open(const std::string& path);
  const TImportDialog& Rules() const { return rules_; }

  TSeparatorBox* Separator() const { return separator_; }
  QTableWidget* Preview() const { return preview_; }
  QComboBox* NameColumn() const { return nameColumn_; }
  QComboBox* TimeColumn() const { return timeColumn_; }
  QComboBox* Mode() const { return mode_; }
  QCheckBox* AddToGroup() const { return addToGroup_; }
  QLineEdit* GroupName() const { return groupName_; }
  QLabel* Problem() const { return problem_; }
  QPushButton* ContinueButton() const { return continue_; }
  // The role of one column: chosen in Column, then Skip, Rename to, Unit.
  QComboBox* Column() const { return column_; }
  QCheckBox* Skip() const { return skip_; }
  QLineEdit* RenameTo() const { return renameTo_; }
  QLineEdit* Unit() const { return unit_; }

private:
  void Refill();
  void ShowRole();
  void ShowProblem();
  void SelectGroup();
  void accept() override;

  TImportDialog rules_;
  TSeparatorBox* separator_;
  QTableWidget* preview_;
  QComboBox* nameColumn_;
  QComboBox* timeColumn_;
  QComboBox* mode_;
  QCheckBox* addToGroup_;
  QLineEdit* groupName_;
  QPushButton* select_;
  QLabel* problem_;
  QPushButton* continue_;
  QComboBox* column_;
  QCheckBox* skip_;
  QLineEdit* renameTo_;
  QLineEdit* unit_;
};

// What an import said about its lines, in one list after it ends (or is
// cancelled): the line, the column and the message, with "Copy" and
// "Save As..." (the result grid's commands) and the summary above.
class TImportReportDlg final : public QDialog {
  Q_OBJECT
public:
  // more: warnings beyond those listed, counted only.
  TImportReportDlg(QWidget* parent, const std::string& summary,
                   const std::vector<TImportWarning>& warnings, int64_t more);
  QTableWidget* List() const { return list_; }
  QPushButton* CopyButton() const { return copy_; }
  QPushButton* SaveButton() const { return save_; }

private:
  QTableWidget* list_;
  QPushButton* copy_;
  QPushButton* save_;
};

class TExportDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TExportDlg(QWidget* parent);
  const TExportDialog& Rules() const { return rules_; }

  QRadioButton* What(TExportWhat what) const;
  QRadioButton* History(bool history) const;
  QRadioButton* AsTable(bool table) const;
  QGroupBox* StatesBox() const { return states_; }
  QGroupBox* ExportAsBox() const { return exportAs_; }
  TSeparatorBox* Separator() const { return separator_; }
  QPushButton* ContinueButton() const { return continue_; }

private:
  void Show();

  TExportDialog rules_;
  QButtonGroup* what_;
  QButtonGroup* history_;
  QButtonGroup* table_;
  QGroupBox* states_;
  QGroupBox* exportAs_;
  TSeparatorBox* separator_;
  QPushButton* continue_;
};

// File: Import, Units; File: Import, Data; File: Export.
void ImportUnitsCommand(TMainForm& main);
void ImportDataCommand(TMainForm& main);
void ExportCommand(TMainForm& main);

} // namespace vandro
