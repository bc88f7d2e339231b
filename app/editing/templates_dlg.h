// "Templates": the project's templates in a list, with "Add" and "Edit"
// (the template editor), "New Record" (closes the dialog; the caller starts
// a record dialog from the chosen template), "Delete" (after a question) and
// "OK". Every change is told through the handler so that the template menu
// follows at once.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QListWidget;

namespace vandro {

class TTemplatesDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TTemplatesDlg(QWidget* parent = nullptr);

  void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }
  QListWidget* List() const { return list_; }
  // The template "New Record" chose; empty when the dialog closed otherwise.
  const std::string& NewRecordTemplate() const { return newRecord_; }

  void Add();
  void Edit();
  void NewRecord();
  void Delete();

private:
  void Fill(const QString& current);
  std::string Selected() const;
  void Changed(const QString& current);

  QListWidget* list_;
  std::function<void()> changed_;
  std::string newRecord_;
};

} // namespace vandro
