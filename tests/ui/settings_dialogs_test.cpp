// The settings dialogs write what their widgets say, and only on OK; the
// silenced notices are kept and honoured.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <functional>

#include "app/library_settings.h"
#include "toolkit/text_file.h"
#include "ui/dialogs/library_settings_dialog.h"
#include "ui/dialogs/preferences_dialog.h"
#include "ui/dialogs/preview_preferences_dialog.h"
#include "ui/dialogs/suppressible_notice.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::UiTestHome;

namespace {

void press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

// Answers the next message box that opens: `answer` sees it and clicks.
void answerNextBox(std::function<void(QMessageBox&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY2(box, "no message box opened");
    answer(*box);
  });
}

void clickWithCheck(QMessageBox& box, QMessageBox::StandardButton button, bool dontAskAgain) {
  if (dontAskAgain) box.checkBox()->setChecked(true);
  box.button(button)->click();
}

ProgramSettings stored(const UiTestHome& home) { return ReadProgramSettings(home.settingsFile(), u""); }

LibrarySettings storedLibrarySettings(const std::filesystem::path& library) {
  const std::string text = readTextFile(library / kLibrarySettingsFileName).value_or("");
  return ReadLibrarySettings(parseSettingsSection(text, "general"), true);
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void preferencesAreWrittenOnOkAndNotOnCancel() {
    UiTestHome home;
    auto lib = home.open([](ProgramSettings& settings) { settings.resultDisplayMax = 999999; });
    QVERIFY(lib);
    {
      PreferencesDialog dialog(lib->session, lib->prompter.notices(), [] { return std::u16string(u"1,2,3,4"); });
      QVERIFY(!dialog.findChild<QPushButton*>("storeMainPosition")->isEnabled());  // nothing stored yet
      dialog.findChild<QSpinBox*>("snippetDisplayLength")->setValue(64);
      dialog.findChild<QSpinBox*>("contextThreads")->setValue(3);
      dialog.findChild<QCheckBox*>("showSponsors")->setChecked(true);
      // List positions 5 and 6 stand for the values 6 and 5.
      dialog.findChild<QComboBox*>("displayDate")->setCurrentIndex(5);
      press(dialog, QDialogButtonBox::Ok);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    ProgramSettings written = stored(home);
    QCOMPARE(written.snippetDisplayLength, 64u);
    QCOMPARE(written.contextThreads, 3u);
    QCOMPARE(written.showSponsors, true);
    QCOMPARE(written.displayDate, 6u);
    // A stored value beyond the spin box's range is kept while nobody edits it.
    QCOMPARE(written.resultDisplayMax, 999999u);
    QCOMPARE(lib->session.settings(), written);

    PreferencesDialog dialog(lib->session, lib->prompter.notices(), [] { return std::u16string(u"1,2,3,4"); });
    QCOMPARE(dialog.findChild<QComboBox*>("displayDate")->currentText(), QStringLiteral("Last Viewed"));
    auto* snippet = dialog.findChild<QSpinBox*>("snippetDisplayLength");
    // Apply, then back to the value the dialog opened with: that is a change too.
    snippet->setValue(100);
    press(dialog, QDialogButtonBox::Apply);
    QCOMPARE(stored(home).snippetDisplayLength, 100u);
    snippet->setValue(64);
    press(dialog, QDialogButtonBox::Apply);
    QCOMPARE(stored(home).snippetDisplayLength, 64u);
    snippet->setValue(10);
    press(dialog, QDialogButtonBox::Cancel);
    QCOMPARE(stored(home).snippetDisplayLength, 64u);
    QCOMPARE(lib->session.settings().snippetDisplayLength, 64u);
  }

  void theMainWindowShowsAppliedPreferencesAtOnce() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    MainWindow window(lib->session, lib->events, lib->prompter);
    window.show();
    auto* sponsors = window.findChild<QWidget*>("sponsors");
    QVERIFY(!sponsors->isVisible());
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<PreferencesDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->findChild<QCheckBox*>("showSponsors")->setChecked(true);
      press(*dialog, QDialogButtonBox::Ok);
    });
    QAction* preferences = nullptr;
    for (QAction* action : window.findChildren<QAction*>())
      if (action->text() == QStringLiteral("Prefe&rences...")) preferences = action;
    QVERIFY(preferences && preferences->isEnabled());
    preferences->trigger();
    QVERIFY(sponsors->isVisible());
    QVERIFY(window.findChild<QAction*>("sponsorsShown")->isChecked());
    QCOMPARE(stored(home).showSponsors, true);
  }

  void theStoredWindowPositionIsTakenOnlyWhenAsked() {
    UiTestHome home;
    auto lib = home.open([](ProgramSettings& settings) { settings.mainPosition = u"0,0,640,480"; });
    QVERIFY(lib);
    {
      PreferencesDialog dialog(lib->session, lib->prompter.notices(), [] { return std::u16string(u"10,20,810,620"); });
      press(dialog, QDialogButtonBox::Apply);
    }
    QCOMPARE(stored(home).mainPosition, std::u16string(u"0,0,640,480"));
    PreferencesDialog dialog(lib->session, lib->prompter.notices(), [] { return std::u16string(u"10,20,810,620"); });
    auto* store = dialog.findChild<QPushButton*>("storeMainPosition");
    QVERIFY(store->isEnabled());
    store->click();
    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(stored(home).mainPosition, std::u16string(u"10,20,810,620"));
  }

  void previewPreferencesAreWritten() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    PreviewPreferencesDialog dialog(lib->session);
    QSignalSpy applied(&dialog, &PreviewPreferencesDialog::applied);
    dialog.findChild<QSpinBox*>("tileHoverDelay")->setValue(750);
    dialog.findChild<QCheckBox*>("allowRawImages")->setChecked(false);
    dialog.findChild<QCheckBox*>("miniScripts")->setChecked(true);
    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(applied.count(), 1);
    const ProgramSettings written = stored(home);
    QCOMPARE(written.tileHoverDelay, 750u);
    QCOMPARE(written.allowRawImages, false);
    QCOMPARE(written.miniScripts, true);
  }

  void aQuestionRemembersOnlyItsSuggestedAnswer() {
    UiTestHome home;
    SuppressibleNotices notices(home.settingsFile().path);
    // "Don't ask again" with the other answer is not kept.
    answerNextBox([](QMessageBox& box) { clickWithCheck(box, QMessageBox::No, true); });
    QCOMPARE(notices.ask(nullptr, "batchrestore", "Continue?", true), false);
    QVERIFY(!notices.isSilenced("batchrestore"));
    answerNextBox([](QMessageBox& box) { clickWithCheck(box, QMessageBox::Yes, true); });
    QCOMPARE(notices.ask(nullptr, "batchrestore", "Continue?", true), true);
    QVERIFY(notices.isSilenced("batchrestore"));
    // Silenced: answered without a box (one would block this call).
    QCOMPARE(notices.ask(nullptr, "batchrestore", "Continue?", true), true);

    answerNextBox([](QMessageBox& box) { clickWithCheck(box, QMessageBox::Ok, true); });
    notices.tell(nullptr, "minibrowser", "The mini-browser is a minimal browser");
    QVERIFY(notices.isSilenced("minibrowser"));
    notices.tell(nullptr, "minibrowser", "The mini-browser is a minimal browser");

    // The document's questions go the same way, with their own suggestion.
    DesktopPrompter prompter(home.settingsFile().path);
    answerNextBox([](QMessageBox& box) { clickWithCheck(box, QMessageBox::No, true); });
    QCOMPARE(prompter.Ask(MessageText{0, u""}, u"Open read-only?", Prompter::Answer::No, "readonly"), Prompter::Answer::No);
    QCOMPARE(prompter.Ask(MessageText{0, u""}, u"Open read-only?", Prompter::Answer::No, "readonly"), Prompter::Answer::No);

    // The silenced keys live beside the program settings, which a later save keeps.
    QVERIFY(WriteProgramSettings(ProgramSettings{}, home.settingsFile()));
    QVERIFY(notices.isSilenced("readonly"));
    QVERIFY(notices.isSilenced("minibrowser"));
  }

  void preferencesTurnSilencedNoticesBackOn() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    SuppressibleNotices notices(home.settingsFile().path);
    QVERIFY(notices.setSilenced({{"minibrowserPin", true}, {"override_ext", true}}));
    PreferencesDialog dialog(lib->session, notices, [] { return std::u16string(); });
    auto* pin = dialog.findChild<QCheckBox*>("minibrowserPin");
    QVERIFY(!pin->isChecked());
    QVERIFY(dialog.findChild<QCheckBox*>("readonly")->isChecked());
    pin->setChecked(true);
    press(dialog, QDialogButtonBox::Ok);
    QVERIFY(!notices.isSilenced("minibrowserPin"));
    QVERIFY(notices.isSilenced("override_ext"));
    // Notices nobody touched gain no line.
    QCOMPARE(readTextFile(home.settingsFile().path)->find("dontask.readonly"), std::string::npos);
  }

  void librarySettingsAreWrittenAndUsedAtOnce() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    const std::filesystem::path library = home.library();
    const LibrarySettings before = lib->session.librarySettings();
    {
      LibrarySettingsDialog dialog(lib->session);
      dialog.findChild<QSpinBox*>("maxSourceResults")->setValue(35);
      dialog.findChild<QCheckBox*>("noURLIndexing")->setChecked(!before.noURLIndexing);
      dialog.findChild<QPlainTextEdit*>("stopWords")->setPlainText("alpha\nbeta  gamma");
      dialog.findChild<QLineEdit*>("categoryURL")->setText("  http://sets.example.test/a.zcat ");
      auto* flags = dialog.findChild<QTableWidget*>("sourceFlags");
      QVERIFY(flags->rowCount() > 0);
      const std::u16string firstSource = flags->item(0, 0)->text().toStdU16String();
      flags->item(0, 2)->setCheckState(Qt::Checked);
      press(dialog, QDialogButtonBox::Ok);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));

      const LibrarySettings written = storedLibrarySettings(library);
      QCOMPARE(written.maxSourceResults, 35u);
      QCOMPARE(written.noURLIndexing, !before.noURLIndexing);
      QCOMPARE(written.stopWords, std::u16string(u"alpha beta gamma"));
      QCOMPARE(written.categoryURL, std::u16string(u"http://sets.example.test/a.zcat"));
      QCOMPARE(written.sourceFlags.at(firstSource), 2u);
      QCOMPARE(written.previewCodec, before.previewCodec);
      // The open library follows the addresses at once, and its running
      // work keeps the limits it started with.
      QCOMPARE(lib->session.librarySettings().categoryURL, written.categoryURL);
      QCOMPARE(lib->session.librarySettings().maxSourceResults, before.maxSourceResults);
    }
    LibrarySettingsDialog dialog(lib->session);
    QCOMPARE(dialog.findChild<QSpinBox*>("maxSourceResults")->value(), 35);  // as stored
    dialog.findChild<QSpinBox*>("maxSourceResults")->setValue(3);
    press(dialog, QDialogButtonBox::Cancel);
    QCOMPARE(storedLibrarySettings(library).maxSourceResults, 35u);
  }

  void badLibrarySettingsAreRefusedWithNothingLost() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    const LibrarySettings before = storedLibrarySettings(home.library());
    LibrarySettingsDialog dialog(lib->session);
    dialog.findChild<QLineEdit*>("startupURL")->setText("ftp://example.test/feed");
    dialog.findChild<QSpinBox*>("maxSourceResults")->setValue(40);
    QString told;
    answerNextBox([&told](QMessageBox& box) {
      told = box.text();
      box.button(QMessageBox::Ok)->click();
    });
    press(dialog, QDialogButtonBox::Ok);
    QVERIFY2(told.contains("ftp://example.test/feed"), qPrintable(told));
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(dialog.findChild<QSpinBox*>("maxSourceResults")->value(), 40);  // the edits stay for mending
    QCOMPARE(storedLibrarySettings(home.library()), before);
  }

  void aReadOnlyLibraryShowsItsSettingsWithoutChangingThem() {
    UiTestHome home;
    auto lib = home.make();
    std::filesystem::create_directories(home.library());
    QVERIFY(lib->session.Open(home.library(), false, true));
    LibrarySettingsDialog dialog(lib->session);
    QVERIFY(dialog.findChild<QLabel*>("readOnlyNote"));
    QVERIFY(!dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    QVERIFY(!lib->session.document().SetLibrarySettings(lib->session.librarySettings()));
  }
};

QTEST_MAIN(SettingsDialogsTest)

#include "settings_dialogs_test.moc"
