#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app/program_settings.h"
#include "app/prompter.h"

namespace brambel {

// The program's own version number; a published number above it is newer.
inline constexpr uint32_t kProgramVersion = 30;

// The setting that holds the address of the version file, and its default.
inline constexpr char kVersionUrlKey[] = "versionCheckUrl";
inline constexpr char16_t kDefaultVersionUrl[] = u"https://brambel.org/version.txt";

// The address of the version file: the "versionCheckUrl" line of the
// program settings file, else the project's own.
std::u16string versionFileUrl(const std::filesystem::path& settingsFile);

// One published version: "NUMBER,MESSAGE,http..." (the first such record).
struct PublishedVersion {
  uint32_t number = 0;
  std::u16string message;
  std::u16string downloadUrl;
};
std::optional<PublishedVersion> parseVersionFile(const std::string& text);

// The "New Version" dialog.
class UpdateDialog {
 public:
  enum class Choice { GoToWebsite, Ignore };
  virtual ~UpdateDialog() = default;
  // "Version %s is available!" with the message; `dontRemind` is the box
  // "Don't remind me about this version again".
  virtual Choice ShowNewVersion(const PublishedVersion& version, bool& dontRemind) = 0;
  virtual void OpenInBrowser(const std::u16string& url) = 0;
};

enum class UpdateOutcome { FetchFailed, NoUpdate, Offered, Quitting };

// Fetches the version file and offers a newer version: always on a manual
// check, and automatically only once per version the user has not been told
// about ("lastVersionReminded"). A manual check without update says so
// (message 2049); a failed fetch is silent. Afterwards "lastVersionCheck" is
// `now` and `save` is called.
UpdateOutcome CheckForUpdates(bool manual, const std::u16string& url, ProgramSettings& settings, Prompter& prompter,
                              UpdateDialog& dialog, const std::atomic<bool>& quitting,
                              const std::function<void()>& save, std::time_t now);

// The automatic check at start-up, on a thread of its own, when a day has
// passed since the last one. The destructor (the program's end) sets the
// quitting flag and waits for the thread.
class VersionCheck {
 public:
  ~VersionCheck() { Finish(); }
  // Starts the check when 86400 seconds have passed since lastVersionCheck;
  // false when it is not due or one is running.
  bool StartIfDue(std::function<void(const std::atomic<bool>& quitting)> check, uint32_t lastVersionCheck,
                  std::time_t now);
  bool running() const { return running_.load(); }
  // Tells the check the program is quitting and waits for it to end.
  void Finish();

 private:
  std::atomic<bool> running_{false};
  std::atomic<bool> quitting_{false};
  std::thread thread_;
};

}  // namespace brambel
