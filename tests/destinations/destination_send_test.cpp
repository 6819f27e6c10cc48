#include <gtest/gtest.h>

#include <map>

#include "destinations/destination_send.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::LoopbackServer;
using testing::RecordedRequest;

Destination builtIn(const std::u16string& name, const std::u16string& from, const std::u16string& to) {
  for (Destination destination : builtInDestinations()) {
    if (destination.name != name) continue;
    for (auto* text : {&destination.loginUrl, &destination.formUrl, &destination.postUrl})
      if (size_t at = text->find(from); at != std::u16string::npos) text->replace(at, from.size(), to);
    return destination;
  }
  ADD_FAILURE() << "no destination";
  return {};
}

// A fake service and the library's records of the URLs being sent.
class DestinationSend : public ::testing::Test {
 protected:
  DestinationSend() {
    server.mapHost("bookmarks.test:80");
    server.mapHost("alice.blog.test:80");
    server.post("/login", [this](const httplib::Request&, httplib::Response& res) {
      res.set_header("Set-Cookie", "session=s1; Path=/");
      res.set_content(loginReply, "text/html");
    });
    records[u"http://a.test/1"] = record(u"http://a.test/1", u"First & best");
    records[u"http://a.test/2"] = record(u"http://a.test/2", u"Second");
    context.readRecord = [this](const std::u16string& url) -> std::optional<SourceResult> {
      auto found = records.find(url);
      if (found == records.end()) return std::nullopt;
      return found->second;
    };
    context.markPermanent = [this](const std::u16string& url) { permanent.push_back(url); };
    context.report = [this](const std::u16string& message) { messages.push_back(message); };
    context.openInBrowser = [this](const std::u16string& url) { opened.push_back(url); };
  }
  static SourceResult record(std::u16string url, std::u16string title) {
    SourceResult r;
    r.url = std::move(url);
    r.title = std::move(title);
    return r;
  }
  std::vector<RecordedRequest> requestsFor(const std::string& path) {
    std::vector<RecordedRequest> found;
    for (auto& request : server.requests())
      if (request.path == path) found.push_back(request);
    return found;
  }

  LoopbackServer server;
  std::string loginReply = "<html>Welcome back</html>";
  std::map<std::u16string, SourceResult> records;
  std::vector<std::u16string> permanent, messages, opened;
  SendContext context;
};

TEST_F(DestinationSend, BookmarksEachUrlWithTheFormsHiddenValues) {
  server.get("/alice", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("<form><input type=\"hidden\" name=\"key\" value=\"k-" + req.get_param_value("url") +
                        "\"><INPUT TYPE=\"HIDDEN\" NAME=\"s\" VALUE=\"x y\"><input type=\"text\" name=\"t\" value=\"no\">",
                    "text/html");
  });
  server.post("/alice", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
  Destination destination = builtIn(u"pinboard.in", u"https://pinboard.in", u"http://bookmarks.test");
  destination.username = u"alice";
  destination.password = u"p&ss word";
  destination.additional = u"x";
  DestinationVariables variables = sendVariables(destination, {u"a", u"b"}, u"News");
  EXPECT_EQ(variables[u"terms"], u"a b News x");
  addDerivedVariables(variables);
  EXPECT_EQ(variables[u"terms_comma"], u"a,b,News,x");

  runSend(destination, variables, {u"http://a.test/1", u"http://unknown.test/", u"http://a.test/2"}, context);

  EXPECT_EQ(server.lastRequest("/login").body, "user_name=alice&password=p%26ss+word&login=log%20in");
  auto posts = requestsFor("/alice");
  std::vector<std::string> bodies;
  for (const auto& request : posts)
    if (request.method == "POST") bodies.push_back(request.body);
  ASSERT_EQ(bodies.size(), 2u) << "one post per URL the library holds";
  EXPECT_EQ(bodies[0],
            "submit=+save+&jump=no&notes=Added+By+Brambel&url=http%3a%2f%2fa.test%2f1&oldurl=http%3a%2f%2fa.test%2f1"
            "&description=First+%26+best&tags=a+b+News+x&key=k-http%3a%2f%2fa.test%2f1");
  EXPECT_NE(bodies[1].find("&key=k-http%3a%2f%2fa.test%2f2"), std::string::npos);
  EXPECT_EQ(server.lastRequest("/alice").header("Cookie"), "session=s1;");
  EXPECT_EQ(permanent.size(), 3u);
  EXPECT_EQ(messages, (std::vector<std::u16string>{u"Url(s) sent to destination."}));
}

TEST_F(DestinationSend, RejectedLoginsAndDeadServicesPostNothing) {
  Destination destination = builtIn(u"simpy", u"http://www.simpy.com", u"http://bookmarks.test");
  for (std::string word : {"Password INVALID", "wrong user", "passwords do not match", "Unknown account"}) {
    messages.clear();
    loginReply = "<p>" + word + "</p>";
    Destination moved = destination;
    moved.loginUrl = u"http://bookmarks.test/login";
    runSend(moved, sendVariables(moved, {}, u""), {u"http://a.test/1"}, context);
    EXPECT_EQ(messages, (std::vector<std::u16string>{u"Error: Login failed for simpy"})) << word;
  }
  EXPECT_EQ(server.requestCount("/simpy/LinkAddSave.do"), 0);

  messages.clear();
  runSend(destination, sendVariables(destination, {}, u""), {u"http://a.test/1"}, context);
  EXPECT_EQ(messages, (std::vector<std::u16string>{u"Error: Failed to send urls. Unable to connect to destination."}))
      << "the login page does not exist";
}

TEST_F(DestinationSend, BlogPostListsEveryLinkOnce) {
  server.post("/login", [](const httplib::Request&, httplib::Response& res) { res.status = 302; });
  server.get("/wp-admin/post-new.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<input type=\"hidden\" name=\"_wpnonce\" value=\"n1\" /><input name=\"user_ID\" value=\"7\" type=\"hidden\">",
                    "text/html");
  });
  server.post("/wp-admin/post.php", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/html"); });
  Destination destination = builtIn(u"Wordpress", u"https://", u"http://");
  destination.loginUrl = u"http://bookmarks.test/login";
  for (auto* text : {&destination.formUrl, &destination.postUrl})
    text->replace(text->find(u"wordpress.com"), 13, u"blog.test");
  destination.username = u"alice";
  DestinationVariables variables = sendVariables(destination, {}, u"");
  variables[u"text"] = u"See:";
  variables[u"title"] = u"Links";
  variables[u"action"] = u"Publish";
  addDerivedVariables(variables);
  runSend(destination, variables, {u"http://a.test/1", u"http://a.test/2"}, context);

  ASSERT_EQ(server.requestCount("/wp-admin/post.php"), 1);
  EXPECT_EQ(server.lastRequest("/wp-admin/post.php").body,
            "publish=Publish&comment_status=open&ping_status=open&action=post&post_type=post&content=See%3a%3Cbr%3E"
            "<a+href%3d%22http%3a%2f%2fa.test%2f1%22>First+%26+best<%2fa><br><a+href%3d%22http%3a%2f%2fa.test%2f2%22>Second<%2fa>"
            "&post_title=Links&_wpnonce=n1&user_ID=7");
}

TEST_F(DestinationSend, BrowserDestinationsTakeTwentyUrls) {
  DestinationSends sends;
  Destination gmail = builtInDestinations()[2];
  ASSERT_EQ(gmail.kind, DestinationKind::External);
  std::vector<std::u16string> urls;
  for (int i = 0; i < 25; ++i) urls.push_back(u"http://u.test/" + std::u16string(1, u'a' + i));
  sends.SendToDestination(gmail, sendVariables(gmail, {}, u""), urls, context);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(u"A maximum of 20 urls"), std::u16string::npos);
  EXPECT_EQ(opened[0].substr(0, 60), u"https://mail.google.com/mail/?view=cm&fs=1&to=&su=&body=http");
  EXPECT_TRUE(opened[0].ends_with(u"u.test%2fs<br>http%3a%2f%2fu.test%2ft")) << "the 20th URL ends the body";
  EXPECT_EQ(opened[0].find(u"u.test%2fu"), std::u16string::npos) << "the 21st URL is not sent";
  EXPECT_EQ(permanent.size(), 20u);
}

TEST(DestinationTemplate, ExpandsKnownVariablesAndScrapesHiddenInputs) {
  DestinationVariables variables{{u"a", u"1"}, {u"b-c", u"2"}};
  EXPECT_EQ(ExpandTemplate(u"(*a)/(*b-c)/(*never)/(*bad name)/(*", variables), u"1/2//(*bad name)/(*");
  ScrapeHiddenInputs("<input type=\"hidden\" name=\"key\" value=\"k\"><input type=hidden name=\"x\" value=\"y\">"
                     "< input  Type=\"Hidden\" Name=\"s\" Value=\"\">",
                     variables);
  EXPECT_EQ(variables[u"parse_key"], u"k");
  EXPECT_EQ(variables[u"parse_s"], u"");
  EXPECT_FALSE(variables.count(u"parse_x")) << "unquoted attributes are not read";
  EXPECT_EQ(percentEncode(u"a#b é"), u"a%23b+%c3%a9");
}

}  // namespace
}  // namespace brambel
