#include "ui/commands/optimize_command.h"

#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/commands/maintenance_run.h"

namespace brambel {

OptimizeCommand::OptimizeCommand(LibrarySession& session, MaintenanceRun& maintenance, DesktopPrompter& prompter,
                                 QWidget* window)
    : QObject(window), session_(session), maintenance_(maintenance), prompter_(prompter), window_(window) {}

bool OptimizeCommand::isRunning() const { return maintenance_.isRunning(); }

bool OptimizeCommand::run() {
  if (maintenance_.isRunning()) return false;
  if (session_.isReadOnly()) {
    prompter_.Notify(window_, QString(), tr("The library is open read-only: it cannot be optimized."));
    return false;
  }
  CTesserin2Doc& document = session_.document();
  return maintenance_.start(tr("Optimize"), QStringLiteral("optimizeProgress"),
                            [this, &document](MaintenancePrompter& prompter) -> std::function<void()> {
                              const std::optional<OptimiseResult> result = document.OptimizeIndex(prompter);
                              return [this, result] {
                                if (result && result->status == OptimiseStatus::Failed)
                                  prompter_.Notify(window_, QString(),
                                                   tr("The library could not be optimized; its index is unchanged."));
                                emit finished(result && result->status == OptimiseStatus::Done);
                              };
                            });
}

}  // namespace brambel
