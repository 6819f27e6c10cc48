#include "pipeline/load_step.h"

#include <chrono>
#include <ctime>
#include <utility>

#include "pipeline/content_loader.h"
#include "pipeline/content_pipeline.h"
#include "pipeline/page_rewriting.h"
#include "pipeline/stored_page_fields.h"
#include "sources/page_text.h"
#include "store/library_store.h"
#include "toolkit/ascii_case.h"
#include "toolkit/fetch_page.h"
#include "toolkit/http_date.h"

namespace brambel {

namespace {

LoadOptions loadOptions(const PipelineSettings& settings) {
  LoadOptions options;
  options.userAgent = settings.browserId;
  options.prefetchHeader = settings.prefetchHeader;
  options.sendReferer = settings.sendReferer;
  options.maxContentLength = settings.maxContentLength;
  options.maxImageLength = settings.maxImageLength;
  // Images are kept (as their own documents, by the save step); other
  // non-text answers are not.
  options.keepNonText = [](const std::string&, const std::u16string& contentType) {
    return startsWithIgnoringCase(std::u16string_view(contentType), 0, "image/");
  };
  return options;
}

// Style sheets are fetched as one-shot fetches, each at most as long as a
// page, and kept a while for the next pages of the same site.
SheetFetcher sheetFetcher(StyleSheetCache& cache, uint32_t maxLength) {
  return [&cache, maxLength](const std::u16string& url) -> std::optional<std::string> {
    if (std::optional<std::string> kept = cache.find(url)) return kept;
    std::string body;
    int status = 0;
    if (!fetchPage(url, body, maxLength, nullptr, nullptr, &status) || status != 200) return std::nullopt;
    cache.keep(url, body);
    return body;
  };
}

void fillFromAnswer(ContentRequest& request, LoadRequest& load) {
  request.content = std::move(load.body);
  request.contentType = std::move(load.contentType);
  request.lastModified = std::move(load.answerLastModified);
  request.expires = std::move(load.answerExpires);
  request.etag = std::move(load.answerEtag);
}

}  // namespace

void LoadStep::operator()(WorkItem<ContentRequest>& item) {
  ContentPipeline::LoadPool& pool = pipeline_.loadPool();
  const PipelineLibrary& library = pipeline_.library();
  if (pipeline_.isStale(item.searchNumber) || pipeline_.isClosing()) return;
  const UrlMarks marks = library.store->readMarks(item.key);
  if (marks.isIgnored()) return;
  if (!pool.claimOrPutBack(item)) return;
  {
    ClaimGuard claim(pool.inProgress(), item.key);
    ContentRequest& request = item.payload;
    const PipelineSettings& settings = library.settings;
    std::optional<SourceResult> stored =
        marks.recordId != 0 ? library.store->readRecord(marks.recordId) : std::nullopt;
    const uint32_t expires = stored ? StoredPageFields::expires(*stored) : 0;
    const bool expired = expires != 0 && expires < static_cast<uint32_t>(std::time(nullptr));
    const bool fresh = stored && (!expired || settings.noExpire);
    const bool unthrottled = item.searchNumber == kAlwaysAccepted || request.unthrottled;
    const AddMode saveMode = unthrottled ? AddMode::kAlways : AddMode::kWaitForRoom;
    auto handOn = [&](SaveJob job) {
      pipeline_.savePool().add(item.key, item.searchNumber, std::move(job), saveMode, item.priority);
    };

    if (fresh && !marks.isIndexed() && (!settings.noMainIndexing || marks.isPermanent())) {
      // Saved, but its batch never reached the index (the process ended first).
      pipeline_.IndexStoredDocument(item.key, request.sourceIds);
    } else if (!fresh && pipeline_.diskSpace().hasRoom()) {
      if (!request.content.empty()) {
        // The source fetched the page itself.
        handOn(SaveJob{std::move(request)});
      } else {
        LoadRequest load;
        load.url = item.key;
        load.referer = request.result.searchUrl;
        load.prefetch = item.priority >= -1;
        if (stored && item.searchNumber != kNoSearch) {
          if (stored->contentDate != 0) load.lastModified = fromUtf8(formatHttpDate(stored->contentDate));
          load.etag = StoredPageFields::etag(*stored);
        }
        const LoadOptions options = loadOptions(settings);
        const LoadResult result = loadContent(load, options);
        const bool image = startsWithIgnoringCase(std::u16string_view(load.contentType), 0, "image");
        if (result == LoadResult::kNotModified) {
          SaveJob job{std::move(request)};
          job.notModified = true;
          handOn(std::move(job));
        } else if (result == LoadResult::kFetched) {
          const std::u16string imageUrl = request.result.imageUrl;
          if (!image && lowerAscii(load.contentType).find(u"html") != std::u16string::npos)
            load.body = inlineStyleSheets(load.body, load.finalUrl,
                                          sheetFetcher(pipeline_.styleSheets(), settings.maxContentLength));
          fillFromAnswer(request, load);
          SaveJob job{std::move(request)};
          job.isImage = image;
          handOn(std::move(job));
          if (!image && !imageUrl.empty() && imageUrl != item.key) {
            // The result's own image comes along, stored under its URL.
            LoadRequest imageLoad;
            imageLoad.url = imageUrl;
            if (loadContent(imageLoad, options) == LoadResult::kFetched) {
              SaveJob imageJob;
              imageJob.page.result.url = imageUrl;
              imageJob.page.result.title = imageUrl;
              fillFromAnswer(imageJob.page, imageLoad);
              imageJob.isImage = true;
              pipeline_.savePool().add(imageUrl, item.searchNumber, std::move(imageJob), saveMode, item.priority);
            }
          }
        } else if (result == LoadResult::kSkipped && !load.contentType.empty() &&
                   lowerAscii(load.contentType).find(u"text") == std::u16string::npos) {
          pipeline_.markUnsupported(item.key);
        }
      }
    }
    pool.markHandled(item.key);
  }
  pipeline_.notifyUpdated(item.key);
}

}  // namespace brambel
