#include "destinations/destination.h"

namespace brambel {
namespace {

// Pinboard stands for the social bookmarking site; Google's bookmark service,
// furl and simpy have closed, so their entries keep the hosts they had.
constexpr char16_t kBookmarkHost[] = u"https://pinboard.in";

}  // namespace

const char16_t* destinationKindName(DestinationKind kind) {
  switch (kind) {
    case DestinationKind::TagsNotes: return u"tags_notes";
    case DestinationKind::TagsCategory: return u"tags_category";
    case DestinationKind::TagsBlog: return u"tags_blog";
    case DestinationKind::External: return u"external";
  }
  return u"";
}

std::vector<Destination> builtInDestinations() {
  const std::u16string bookmarks = kBookmarkHost;
  std::vector<Destination> list;
  auto add = [&](std::u16string name, DestinationKind kind, std::u16string loginUrl, std::u16string loginBody,
                 std::u16string formUrl, std::u16string postUrl, std::u16string postBody) {
    Destination destination;
    destination.name = std::move(name);
    destination.kind = kind;
    destination.loginUrl = std::move(loginUrl);
    destination.loginBody = std::move(loginBody);
    destination.formUrl = std::move(formUrl);
    destination.postUrl = std::move(postUrl);
    destination.postBody = std::move(postBody);
    list.push_back(std::move(destination));
  };
  add(u"pinboard.in", DestinationKind::TagsNotes, bookmarks + u"/login",
      u"user_name=(*username)&password=(*password)&login=log%20in", bookmarks + u"/(*username)?url=(*url)",
      bookmarks + u"/(*username)",
      u"submit=+save+&jump=no&notes=(*notes)&url=(*url)&oldurl=(*url)&description=(*description)&tags=(*terms)"
      u"&key=(*parse_key)");
  add(u"Google Bookmark", DestinationKind::TagsNotes, u"https://www.google.com/accounts/ServiceLoginAuth",
      u"Email=(*username)&Passwd=(*password)&nui=1&null=Sign%20in&rmShown=1&ltmpl=default&service=ig&hl=en",
      u"https://www.google.com/bookmarks/mark?op=edit&bkmk=(*url)&title=(*title)",
      u"https://www.google.com/bookmarks/mark",
      u"btnA=save&bkmk=(*url)&annotation=(*notes)&labels=(*terms)&title=(*description)&s=(*parse_s)"
      u"&zx=(*parse_zx)");
  add(u"Gmail (browser)", DestinationKind::External, u"", u"", u"",
      u"https://mail.google.com/mail/?view=cm&fs=1&to=&su=&body=(*urlbody)", u"");
  add(u"Wordpress", DestinationKind::TagsBlog, u"https://wordpress.com/wp-login.php",
      u"log=(*username)&pwd=(*password)&submit=Login", u"https://(*username).wordpress.com/wp-admin/post-new.php",
      u"https://(*username).wordpress.com/wp-admin/post.php",
      u"(*action_lower)=(*action)&comment_status=open&ping_status=open&action=post&post_type=post"
      u"&content=(*text)%3Cbr%3E(*urlbody)&post_title=(*title)&_wpnonce=(*parse__wpnonce)"
      u"&user_ID=(*parse_user_ID)");
  add(u"furl", DestinationKind::TagsNotes, u"http://www.furl.net/user/login",
      u"username=(*username)&password=(*password)&submit=LOG%20IN", u"", u"http://www.furl.net/store",
      u"store=true&p=0&date=&multi=0&reloaded=0&fromComplete=0&didLogin=1&via=&title=(*description)&url=(*url)"
      u"&rating=3&newCategory=(*category)&read=1&keywords=(*terms)&description=(*notes)&clip=&saveButton=save");
  add(u"simpy", DestinationKind::TagsNotes, u"http://www.simpy.com/simpy/Authenticate.do",
      u".doneURI=&username=(*username)&password=(*password)&numTries=&rememberme=-1&submit=Log%20in", u"",
      u"http://www.simpy.com/simpy/LinkAddSave.do",
      u"email=&emailText=&.doneURI=&title=(*description)&href=(*url)&tags=(*terms_comma)&note=(*notes)"
      u"&urlNickname=&accessType=1&submit=Add");
  return list;
}

}  // namespace brambel
