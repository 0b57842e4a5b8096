#include "watch/VesselDigest.h"

#include <string>
#include <utility>

#include "app/settings/ProgramTexts.h"
#include "platform/Md5.h"
#include "text/CodePageText.h"
#include "text/TextSearch.h"
#include "web/WebRequestInet.h"

namespace navoket {
namespace {

const char* const blockStartMarker = "width:1200px;margin:0 auto";
const char* const blockEndMarker = "<br> <br>";

VesselFetch failedFetch(long status, Text failure) {
    VesselFetch fetch;
    fetch.status = status;
    fetch.failure = std::move(failure);
    return fetch;
}

}  // namespace

VesselFetch fetchVesselDigest(const Text& vesselName) {
    // The name goes into the body as its raw code-page-936 bytes: no trimming,
    // no percent-encoding, so "&" or blanks in a name reach the site unchanged.
    InetRequestOptions options;
    options.method = 1;
    options.postText = "vessel=" + vesselName;
    InetOutcome outcome;
    options.outcome = &outcome;
    const Text page = bytesToText(webRequestInet(programTexts().dataPageUrl, options));

    // An incomplete exchange has no trustworthy block, whatever came of the body.
    if (!outcome.replied) {
        Text failure = ansiText("无法连接船期网站");
        if (!outcome.failure.empty()) {
            failure += ansiText("（") + outcome.failure + ansiText("）");
        }
        return failedFetch(outcome.status, std::move(failure));
    }

    // textBetween gives the empty text both for a missing marker and for an
    // empty block; the markers are looked for first, with the same searches,
    // so that only a page that really holds a block yields a digest.
    const Text startMarker = blockStartMarker;
    const int startAt = searchForward(page, startMarker);
    if (startAt == -1) {
        return failedFetch(outcome.status, ansiText("船期网站的回复中没有该船的船期数据"));
    }
    if (searchForward(page, blockEndMarker, startAt + static_cast<int>(startMarker.size())) == -1) {
        return failedFetch(outcome.status, ansiText("船期网站的回复中船期数据不完整"));
    }

    VesselFetch fetch;
    fetch.hasBlock = true;
    fetch.status = outcome.status;
    fetch.block = utf8ToAnsi(textBetween(page, blockStartMarker, blockEndMarker));
    fetch.digest = md5Hex(fetch.block);
    return fetch;
}

Text errorPageReason(long status) {
    return ansiText("船期网站返回了错误页面（HTTP 状态 ") + std::to_string(status) + ansiText("）");
}

}  // namespace navoket
