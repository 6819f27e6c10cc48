#include "ui/dialogs/preview_preferences_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QVBoxLayout>

#include "ui/bridge/library_session.h"

namespace brambel {

PreviewPreferencesDialog::PreviewPreferencesDialog(LibrarySession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  using S = ProgramSettings;
  setObjectName(QStringLiteral("previewPreferences"));
  setWindowTitle(tr("Preview Preferences"));

  auto* hover = new QGroupBox(tr("Preview window"), this);
  auto* hoverForm = new QFormLayout(hover);
  bindings_.addNumber(hoverForm, "tileHoverDelay", tr("Hover delay, tiles:"), &S::tileHoverDelay, 0, 10000, tr(" ms"));
  bindings_.addNumber(hoverForm, "listHoverDelay", tr("Hover delay, list:"), &S::listHoverDelay, 0, 10000, tr(" ms"));
  bindings_.addCheck(hoverForm, "previewAnimate", tr("Animate the preview window"), &S::previewAnimate);
  bindings_.addCheck(hoverForm, "preloadMinibrowser",
                     tr("Load the result under the pointer in advance (when not animated)"), &S::preloadMinibrowser);
  bindings_.addNumber(hoverForm, "previewWindowWidth", tr("Width:"), &S::previewWindowWidth, 200, 16384, tr(" px"));
  bindings_.addNumber(hoverForm, "previewWindowHeight", tr("Height:"), &S::previewWindowHeight, 200, 16384, tr(" px"));

  auto* mini = new QGroupBox(tr("Mini-browser"), this);
  auto* miniForm = new QFormLayout(mini);
  bindings_.addCheck(miniForm, "allowRawImages", tr("Load images"), &S::allowRawImages);
  bindings_.addCheck(miniForm, "miniScripts", tr("Run scripts"), &S::miniScripts);
  bindings_.addCheck(miniForm, "miniActiveX", tr("Run plug-ins"), &S::miniActiveX);

  auto* render = new QGroupBox(tr("Preview images"), this);
  auto* renderForm = new QFormLayout(render);
  bindings_.addCheck(renderForm, "previewScripts", tr("Run scripts while rendering"), &S::previewScripts);
  bindings_.addCheck(renderForm, "previewActiveX", tr("Run plug-ins while rendering"), &S::previewActiveX);
  bindings_.addCheck(renderForm, "previewTextOverlay", tr("Draw text over preview images"),
                     &S::previewTextOverlay);
  bindings_.load(session_.settings());

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (apply()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hover);
  layout->addWidget(mini);
  layout->addWidget(render);
  layout->addWidget(buttons);
}

bool PreviewPreferencesDialog::apply() {
  bindings_.save(session_.settings());
  const bool saved = session_.SaveSettings();
  emit applied();
  if (!saved)
    QMessageBox::warning(this, windowTitle(), tr("The settings could not be written. They apply until the program ends."));
  return saved;
}

}  // namespace brambel
