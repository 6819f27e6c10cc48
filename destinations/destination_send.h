#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "destinations/destination.h"
#include "destinations/destination_template.h"
#include "store/source_result.h"

namespace brambel {

// The most URLs a browser destination takes at once.
inline constexpr size_t kMaxBrowserUrls = 20;

// What a send needs of the program around it. Every member may be called
// from the send's own thread.
struct SendContext {
  // The library's record of a URL; URLs without one are not sent.
  std::function<std::optional<SourceResult>(const std::u16string& url)> readRecord;
  // Marks a sent URL permanent; empty when "autoPermanent" is off.
  std::function<void(const std::u16string& url)> markPermanent;
  // True once the library is closing: the send stops.
  std::function<bool()> closing;
  // Shows the user a message.
  std::function<void(const std::u16string& message)> report;
  // Opens a page in the web browser.
  std::function<void(const std::u16string& url)> openInBrowser;
  // Hears of every request the send made: its URL, whether it succeeded and
  // the reply's body. Optional.
  std::function<void(const std::u16string& url, bool succeeded, const std::string& reply)> requestDone;
};

// The variables a send starts with: "username" and "password" of the
// destination, "terms" (the search terms, the category and the destination's
// additional terms, joined by blanks), "notes" and "category".
DestinationVariables sendVariables(const Destination& destination, const std::vector<std::u16string>& searchTerms,
                                   const std::u16string& category);

// The variables derived before a send: "terms_comma" from "terms" (blanks
// become commas), "action_lower" from "action".
void addDerivedVariables(DestinationVariables& variables);

// Sends to a browser destination: at most the first 20 URLs (telling the
// user when there were more), each marked permanent when asked, joined with
// "<br>" into "urlbody", and the expanded page opened. Answers that page.
std::u16string sendToBrowser(const Destination& destination, DestinationVariables variables,
                             std::vector<std::u16string> urls, const SendContext& context);

// The send of the other kinds, as its thread runs it: log in, stop on a
// failed connection or a rejected login, then post one bookmark per URL
// (fetching the form page for its hidden inputs first when the destination
// has one), or one blog post listing every URL. Never throws.
void runSend(const Destination& destination, DestinationVariables variables, std::vector<std::u16string> urls,
             const SendContext& context);

// The sends running on threads of their own; the destructor waits for them.
class DestinationSends {
 public:
  DestinationSends() = default;
  ~DestinationSends() { wait(); }
  DestinationSends(const DestinationSends&) = delete;
  DestinationSends& operator=(const DestinationSends&) = delete;

  // The "Send To" command after its dialog: a browser destination opens at
  // once, any other starts runSend on a thread of its own. When the dialog's
  // "Save Login" box was ticked (variable "save"), the typed username and
  // password are copied into `destination` and `saveLogins` is called.
  void SendToDestination(Destination& destination, DestinationVariables variables, std::vector<std::u16string> urls,
                         SendContext context, const std::function<void()>& saveLogins = {});
  // Waits for every send started so far.
  void wait();

 private:
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

}  // namespace brambel
