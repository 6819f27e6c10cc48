#include "app/update_check.h"

#include <boost/regex.hpp>

#include "app/exchange_messages.h"
#include "app/settings_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/text_file.h"

namespace brambel {
namespace {

constexpr std::time_t kCheckInterval = 86400;
// A version file is one short line; more is not read.
constexpr uint32_t kLongestVersionFile = 4096;

}  // namespace

std::u16string versionFileUrl(const std::filesystem::path& settingsFile) {
  SettingsMap map = parseSettingsLines(readTextFile(settingsFile).value_or(""));
  std::u16string url = settingString(map, kVersionUrlKey, u"");
  return url.empty() ? kDefaultVersionUrl : url;
}

std::optional<PublishedVersion> parseVersionFile(const std::string& text) {
  static const boost::regex kRecord("([0-9]+),([^,]*),(http[^,]*)", boost::regex::perl);
  boost::smatch match;
  if (!guardedSearch(text, match, kRecord)) return std::nullopt;
  std::string number = match.str(1);
  PublishedVersion version;
  version.number = number.size() > 9 ? UINT32_MAX : static_cast<uint32_t>(std::stoul(number));
  version.message = toWide(match.str(2), kCodePageAnsi);
  std::string url = match.str(3);
  while (!url.empty() && static_cast<unsigned char>(url.back()) <= ' ') url.pop_back();
  version.downloadUrl = toWide(url, kCodePageAnsi);
  return version;
}

UpdateOutcome CheckForUpdates(bool manual, const std::u16string& url, ProgramSettings& settings, Prompter& prompter,
                              UpdateDialog& dialog, const std::atomic<bool>& quitting,
                              const std::function<void()>& save, std::time_t now) {
  std::string text;
  if (!fetchPage(url, text, kLongestVersionFile)) return UpdateOutcome::FetchFailed;
  UpdateOutcome outcome = UpdateOutcome::Quitting;
  if (!quitting) {
    std::optional<PublishedVersion> version = parseVersionFile(text);
    bool newer = version && version->number > kProgramVersion &&
                 (manual || version->number > settings.lastVersionReminded);
    if (!newer) {
      if (manual) prompter.Tell(messages::kNoUpdates, messages::kNoUpdates.text);
      outcome = UpdateOutcome::NoUpdate;
    } else {
      bool dontRemind = false;
      if (dialog.ShowNewVersion(*version, dontRemind) == UpdateDialog::Choice::GoToWebsite)
        dialog.OpenInBrowser(version->downloadUrl);
      else if (dontRemind)
        settings.lastVersionReminded = version->number;
      outcome = UpdateOutcome::Offered;
    }
  }
  settings.lastVersionCheck = static_cast<uint32_t>(now);
  if (save) save();
  return outcome;
}

bool VersionCheck::StartIfDue(std::function<void(const std::atomic<bool>& quitting)> check, uint32_t lastVersionCheck,
                              std::time_t now) {
  if (now - static_cast<std::time_t>(lastVersionCheck) < kCheckInterval || running_.exchange(true)) return false;
  if (thread_.joinable()) thread_.join();
  thread_ = std::thread([this, check = std::move(check)] {
    try {
      check(quitting_);
    } catch (...) {
      // The check is a courtesy: whatever went wrong, the program goes on.
    }
    running_ = false;
  });
  return true;
}

void VersionCheck::Finish() {
  quitting_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace brambel
