#pragma once

// The text, markup, URL, code-page and date helpers in one include.
#include "toolkit/code_pages.h"
#include "toolkit/entities.h"
#include "toolkit/http_date.h"
#include "toolkit/markup.h"
#include "toolkit/text_normalize.h"
#include "toolkit/url_codec.h"
