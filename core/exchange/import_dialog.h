// The rules of the import windows: the separator choice shared by the data
// import, the unit import ("Select Separator") and the export, and the data
// import's preview of its file with the roles of the columns.
//
//   TImportDialog dialog;
//   dialog.Open("/data/plants.txt");       // preview with tab
//   dialog.SetSeparator({skComma, ""});    // re-reads the preview
//   dialog.SetNameColumn("Plant");
//   if (dialog.CanContinue()) ImportObjectsFromFile(dialog.Path(), dialog.Settings(), ...);
//
// The preview is UTF-8 (what the windows show); the settings it gives are in
// code page 1251, as the import takes them.
#pragma once

#include "exchange/import_objects.h"

#include <string>
#include <vector>

namespace vandro {

inline constexpr const char* kEmptyFile = "Empty File";
inline constexpr const char* kEmptyParameterName = "Empty parameter name encountered";

enum TSeparatorKind : int { skTab = 0, skComma = 1, skSemicolon = 2, skOther = 3 };

struct TSeparatorChoice {
  TSeparatorKind Kind = skTab;
  std::string Other = "#"; // the "Other :" text, preset "#"
};

// The captions of the four choices, in their order.
const std::vector<std::string>& SeparatorCaptions();
// The separator the choice stands for; an empty "Other :" text means tab.
std::string SeparatorText(const TSeparatorChoice& choice);

// The separator of delimited lines (the header first): the first of tab,
// comma, semicolon, "|", ":" and blank that splits the header into two
// fields or more and no other line into more fields than the header,
// preferring one that cuts no quoted field in two; tab when none does.
std::string GuessSeparator(const std::vector<std::string>& lines);
// The same from the first lines of a text file; tab for a spreadsheet or a
// file that cannot be read (the import then says why).
std::string GuessFileSeparator(const std::string& path);

class TImportDialog {
public:
  // Reads the file's first lines (a spreadsheet's first rows, its cells
  // split at tab whatever the separator), chooses the separator they
  // suggest (GuessSeparator) and fills the preview. False with Problem()
  // set when the file cannot be read.
  bool Open(const std::string& path, int maxLines = 200);
  // A new separator re-reads the preview; the role columns are kept when
  // the new header still has them.
  void SetSeparator(const TSeparatorChoice& choice);
  const TSeparatorChoice& Separator() const { return separator_; }

  const std::string& Path() const { return path_; }
  bool IsSpreadsheet() const { return spreadsheet_; }
  // The header fields (column titles) and the data lines split as they are.
  const std::vector<std::string>& Header() const { return header_; }
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }
  // The choices of both column lists: an empty choice, then the header.
  std::vector<std::string> ColumnChoices() const;
  // "Empty File", "Empty parameter name encountered", or why the file
  // cannot be read; empty when the import may start.
  const std::string& Problem() const { return problem_.empty() ? flagged_ : problem_; }
  bool CanContinue() const { return !path_.empty() && Problem().empty(); }

  // The roles: a header name or empty. A name not in the header is refused.
  bool SetNameColumn(const std::string& name);
  bool SetTimeColumn(const std::string& name);
  const std::string& NameColumn() const { return nameColumn_; }
  const std::string& TimeColumn() const { return timeColumn_; }

  // What the import does with a column (named as the header has it): skip
  // it, import it under another parameter name (empty: its own), give its
  // bare numbers a unit. Kept while the header has the column.
  void SetSkipped(const std::string& column, bool skipped);
  void SetRenamed(const std::string& column, const std::string& name);
  void SetUnit(const std::string& column, const std::string& unit);
  bool Skipped(const std::string& column) const;
  std::string RenamedTo(const std::string& column) const;
  std::string Unit(const std::string& column) const;
  // Why the column's values cannot be imported under the name it has (a
  // standard function, a keyword, a system name: the naming rule's
  // message, in UTF-8); empty when they can, or when it is skipped. While
  // a column is flagged, Problem() names it and the import may not start.
  std::string HeaderFlag(const std::string& column) const;

  TImportMode Mode = imModifyLatest;
  // "Add to group:": on with a name typed, or a group chosen by "Select".
  bool AddToGroup = false;
  std::string GroupName;
  int32_t GroupId = 0;
  int32_t GroupStateId = 0;

  // What the import runs with (names in code page 1251).
  TImportSettings Settings() const;

private:
  void Read();

  std::string path_;
  int maxLines_ = 200;
  bool spreadsheet_ = false;
  struct TPreviewLine {
    std::string Text;   // UTF-8
    const char* Ending; // as TSourceLine::Ending
  };
  std::vector<TPreviewLine> lines_; // the lines read, blank ones included
  TSeparatorChoice separator_;
  std::vector<std::string> header_;
  std::vector<std::vector<std::string>> rows_;
  std::string problem_;
  std::string nameColumn_, timeColumn_;
  struct TColumnRole {
    bool Skipped = false;
    std::string Renamed, Unit;
  };
  std::vector<std::pair<std::string, TColumnRole>> roles_;
  std::string flagged_; // the first flagged column and why
  TColumnRole* Role(const std::string& column);
  const TColumnRole* Role(const std::string& column) const;
  void Flag();
};

} // namespace vandro
