#include "storage/session.h"

#include "shell/messages.h"
#include "storage/descriptors.h"
#include "storage/objects.h"
#include "storage/parameter_rows.h"
#include "storage/project_file.h"

namespace vandro {

namespace {
std::unique_ptr<TStorageSession> session;
} // namespace

TStorageSession* Session() {
  return session.get();
}

TStorageSession& MakeSession() {
  if (!session) session = std::make_unique<TStorageSession>();
  return *session;
}

void EndSession() {
  if (!session) return;
  if (session->Project && CurrentProject() == session->Project.get()) SetCurrentProject(nullptr);
  // The connection closes before the lock goes: letting go of the lock first
  // would let another process in while this one still writes.
  session->Reading.reset();
  session->Database.Close();
  session->Lock.Release();
  session.reset();
}

TStorageSession& RequireSession() {
  if (!session || !session->Project || !session->Database.IsOpen())
    RaiseSystemError("No project is open");
  return *session;
}

TDatabase& APSDatabase() {
  return RequireSession().Database;
}

std::string TStorageSession::DatabasePath() const {
  return Directory + "/" + Name + ".vdb";
}

void TStorageSession::WriteProjectFileNow() {
  if (!Project) return;
  if (ReadOnly)
    RaiseError("The project " + ProjectPath + " is open read-only: nothing can be changed");
  TProjectFileContent content;
  content.ObjectCounter = Project->ObjectCounter();
  content.IdCounter = Project->IdCounter();
  content.Info = Project->Info();
  std::string reason;
  if (!WriteProjectFileAtomically(ProjectPath, content, &reason))
    RaiseError("Can't write the project file " + ProjectPath + kLineBreak + reason);
  fileDirty_ = false;
}

void TStorageSession::ProjectFileChanged(const TProject&) {
  if (deferDepth_ > 0) {
    fileDirty_ = true;
    return;
  }
  WriteProjectFileNow();
}

void TStorageSession::InsertParameter(const TParameter& parameter) {
  APSInsertParameter(parameter);
}

void TStorageSession::UpdateParameter(const TParameter& parameter) {
  APSUpdateParameter(parameter);
}

void TStorageSession::DeleteParameter(int32_t id) {
  APSDeleteParameter(id);
}

bool TStorageSession::SaveVariable(const TVariable& variable, std::string_view storedName) {
  return vandro::SaveVariable(variable, storedName);
}

void TStorageSession::DeleteVariable(std::string_view name) {
  DeleteDescriptor(name, dkVariable);
}

std::string TStorageSession::ObjectName(int32_t id) {
  return Database.IsOpen() ? APSObjectName(id) : std::string();
}

std::string TStorageSession::RecordName(int32_t id) {
  if (!Database.IsOpen()) return {};
  return Guarded([&] {
    auto query = Database.Query("SELECT RecName FROM VD_Records WHERE Idtor = ?");
    query.Bind(id);
    return query.Step() ? query.Text(0).substr(0, 32) : std::string();
  });
}

TDeferredProjectFile::TDeferredProjectFile(TStorageSession& session) : session_(session) {
  ++session_.deferDepth_;
}

TDeferredProjectFile::~TDeferredProjectFile() {
  if (finished_) return;
  --session_.deferDepth_;
  if (session_.deferDepth_ == 0 && session_.fileDirty_) {
    try {
      session_.WriteProjectFileNow();
    } catch (const ErrorException&) {
      // Shown already; the counters are raised again when the project opens.
    }
  }
}

void TDeferredProjectFile::Finish() {
  if (finished_) return;
  finished_ = true;
  --session_.deferDepth_;
  if (session_.deferDepth_ == 0 && session_.fileDirty_) session_.WriteProjectFileNow();
}

} // namespace vandro
