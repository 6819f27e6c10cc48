#include "destinations/destination_send.h"

#include <boost/regex.hpp>

#include "toolkit/guarded_regex.h"
#include "toolkit/cookies.h"
#include "toolkit/fetch_page.h"

namespace brambel {
namespace {

constexpr char16_t kAddedBy[] = u"Added By Brambel";
constexpr char16_t kCannotConnect[] = u"Error: Failed to send urls. Unable to connect to destination.";
constexpr char16_t kLoginFailed[] = u"Error: Login failed for %s";
constexpr char16_t kSent[] = u"Url(s) sent to destination.";
constexpr char16_t kTooManyForBrowser[] =
    u"A maximum of 20 urls can be sent to browser destinations. To send more, use the Copy URLs command to "
    u"transfer the remaining urls.";

void appendWord(std::u16string& text, const std::u16string& word) {
  if (word.empty()) return;
  if (!text.empty()) text += u' ';
  text += word;
}

// One conversation with the service: the cookies it set are sent back with
// every later request, as a browser would.
class Conversation {
 public:
  explicit Conversation(const SendContext& context) : context_(context) {}
  bool get(const std::u16string& url, std::string& page) { return request(url, nullptr, page); }
  bool post(const std::u16string& url, const std::u16string& body, std::string& reply) {
    return request(url, &body, reply);
  }

 private:
  bool request(const std::u16string& url, const std::u16string* body, std::string& page) {
    std::u16string cookies = jar_;
    bool succeeded = fetchPage(url, page, 0, &cookies, body);
    if (context_.requestDone) context_.requestDone(url, succeeded, succeeded ? page : std::string());
    if (!succeeded) return false;
    mergeCookies(jar_, cookies);
    jar_ = cookies;
    return true;
  }
  const SendContext& context_;
  std::u16string jar_;
};

class Send {
 public:
  Send(const Destination& destination, DestinationVariables variables, const SendContext& context)
      : destination_(destination), variables_(percentEncoded(variables)), context_(context), conversation_(context) {}

  void run(const std::vector<std::u16string>& urls) {
    std::string reply;
    bool connected = conversation_.post(ExpandTemplate(destination_.loginUrl, variables_),
                                        ExpandTemplate(destination_.loginBody, variables_), reply);
    if (!connected || closing()) return report(kCannotConnect);
    variables_.erase(u"password");
    static const boost::regex kRejected("(incorrect)|(invalid)|(unknown)|(wrong)|(do not match)",
                                        boost::regex::perl | boost::regex::icase);
    boost::smatch rejected;
    if (guardedSearch(reply, rejected, kRejected)) {
      std::u16string message = kLoginFailed;
      return report(message.replace(message.find(u"%s"), 2, destination_.name));
    }

    std::u16string links;
    for (const std::u16string& url : urls) {
      if (closing()) break;
      variables_[u"url"] = percentEncode(url);
      if (context_.markPermanent) context_.markPermanent(url);
      std::optional<SourceResult> record = context_.readRecord ? context_.readRecord(url) : std::nullopt;
      if (!record) continue;
      if (destination_.kind == DestinationKind::TagsBlog) {
        if (!links.empty()) links += u"<br>";
        links += u"<a href=\"" + record->url + u"\">" + record->title + u"</a>";
        continue;
      }
      variables_[u"url"] = percentEncode(record->url);
      variables_[u"description"] = percentEncode(record->title);
      postItem();
    }
    if (destination_.kind == DestinationKind::TagsBlog) {
      variables_[u"urlbody"] = percentEncode(links);
      postItem();
    }
    report(kSent);
  }

 private:
  void postItem() {
    DestinationVariables variables = variables_;
    if (!destination_.formUrl.empty()) {
      std::string form;
      if (!conversation_.get(ExpandTemplate(destination_.formUrl, variables_), form)) return;
      DestinationVariables hidden;
      ScrapeHiddenInputs(form, hidden);
      for (auto& [name, value] : hidden) variables[name] = percentEncode(value);
    }
    std::string reply;
    conversation_.post(ExpandTemplate(destination_.postUrl, variables), ExpandTemplate(destination_.postBody, variables),
                       reply);
  }

  bool closing() const { return context_.closing && context_.closing(); }
  void report(const std::u16string& message) const {
    if (context_.report) context_.report(message);
  }

  const Destination& destination_;
  DestinationVariables variables_;
  const SendContext& context_;
  Conversation conversation_;
};

}  // namespace

DestinationVariables sendVariables(const Destination& destination, const std::vector<std::u16string>& searchTerms,
                                   const std::u16string& category) {
  std::u16string terms;
  for (const auto& term : searchTerms) appendWord(terms, term);
  appendWord(terms, category);
  appendWord(terms, destination.additional);
  return {{u"username", destination.username},
          {u"password", destination.password},
          {u"terms", terms},
          {u"notes", kAddedBy},
          {u"category", category}};
}

void addDerivedVariables(DestinationVariables& variables) {
  if (auto terms = variables.find(u"terms"); terms != variables.end()) {
    std::u16string comma = terms->second;
    for (char16_t& c : comma)
      if (c == u' ') c = u',';
    variables[u"terms_comma"] = comma;
  }
  if (auto action = variables.find(u"action"); action != variables.end()) {
    std::u16string lower = action->second;
    for (char16_t& c : lower)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    variables[u"action_lower"] = lower;
  }
}

std::u16string sendToBrowser(const Destination& destination, DestinationVariables variables,
                             std::vector<std::u16string> urls, const SendContext& context) {
  if (urls.size() > kMaxBrowserUrls) {
    if (context.report) context.report(kTooManyForBrowser);
    urls.resize(kMaxBrowserUrls);
  }
  std::u16string body;
  for (const auto& url : urls) {
    if (context.markPermanent) context.markPermanent(url);
    if (!body.empty()) body += u"<br>";
    body += url;
  }
  variables[u"urlbody"] = body;
  std::u16string page = ExpandTemplate(destination.postUrl, percentEncoded(variables));
  if (context.openInBrowser) context.openInBrowser(page);
  return page;
}

void runSend(const Destination& destination, DestinationVariables variables, std::vector<std::u16string> urls,
             const SendContext& context) {
  try {
    Send(destination, std::move(variables), context).run(urls);
  } catch (...) {
    // A send never takes the program down; the user simply gets no confirmation.
  }
}

void DestinationSends::SendToDestination(Destination& destination, DestinationVariables variables,
                                         std::vector<std::u16string> urls, SendContext context,
                                         const std::function<void()>& saveLogins) {
  if (destination.kind == DestinationKind::External) {
    sendToBrowser(destination, std::move(variables), std::move(urls), context);
    return;
  }
  addDerivedVariables(variables);
  if (variables.count(u"save")) {
    destination.username = variables[u"username"];
    destination.password = variables[u"password"];
    if (saveLogins) saveLogins();
  }
  std::lock_guard lock(mutex_);
  threads_.emplace_back([destination, variables = std::move(variables), urls = std::move(urls),
                         context = std::move(context)]() mutable {
    runSend(destination, std::move(variables), std::move(urls), context);
  });
}

void DestinationSends::wait() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
  }
  for (auto& thread : threads) thread.join();
}

}  // namespace brambel
