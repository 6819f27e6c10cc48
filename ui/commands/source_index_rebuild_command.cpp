#include "ui/commands/source_index_rebuild_command.h"

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/commands/maintenance_run.h"

namespace brambel {

SourceIndexRebuildCommand::SourceIndexRebuildCommand(LibrarySession& session, MaintenanceRun& maintenance,
                                                     DesktopPrompter& prompter, QWidget* window)
    : QObject(window), session_(session), maintenance_(maintenance), prompter_(prompter), window_(window) {}

bool SourceIndexRebuildCommand::run() {
  if (maintenance_.isRunning()) return false;
  if (session_.isReadOnly()) {
    prompter_.Notify(window_, QString(), tr("The library is open read-only: its source index cannot be rebuilt."));
    return false;
  }
  CTesserin2Doc& document = session_.document();
  return maintenance_.start(tr("Rebuild Source Index"), QStringLiteral("sourceIndexRebuildProgress"),
                            [this, &document](MaintenancePrompter& prompter) -> std::function<void()> {
                              const std::optional<SourceIndexRebuild> outcome = document.RebuildSourceIndex(prompter);
                              return [this, outcome] {
                                if (outcome)
                                  prompter_.Notify(window_, QString(), QString::fromStdString(outcome->summary()));
                                emit finished(outcome ? static_cast<int>(outcome->filed) : 0);
                              };
                            });
}

}  // namespace brambel
