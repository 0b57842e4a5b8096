#include "lookup/LookupPublicAddress.h"

#include <thread>
#include <utility>

#include "app/settings/Endpoints.h"
#include "lookup/AddressServiceTable.h"
#include "text/CodePageText.h"
#include "text/TextSearch.h"
#include "text/UnescapeText.h"
#include "web/WebRequestObject.h"
#include "web/WebRequestWinHttp.h"

namespace navoket {
namespace {

Text upToFirstZero(const Bytes& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

Bytes requestObject(const Text& url, const Text& extraHeaders) {
    ObjectRequestOptions options;
    options.extraHeaders = extraHeaders;
    return webRequestObject(url, options);
}

// The result page's address from the root page: the src of its first inline
// frame. One that does not begin with "http" (exact case; "HTTP" does not)
// gets "http:" in front, which completes a protocol-relative "//host/path".
Text frameAddress(const Bytes& rootPage) {
    Text address = upToFirstZero(bytesBetween(rootPage, "<iframe src=\"", "\""));
    if (address.compare(0, 4, "http") != 0) {
        address.insert(0, "http:");
    }
    return address;
}

Text readReply(ReplyReading reading, const Bytes& reply) {
    switch (reading) {
        case ReplyReading::bytesToFirstZero:
            return upToFirstZero(reply);
        case ReplyReading::utf8Unescaped:
            return unescapeText(utf8BytesToAnsi(reply));
        case ReplyReading::utf8:
            break;
        case ReplyReading::returnedText:
            break;  // a request that returns text is read in replyText
    }
    return utf8BytesToAnsi(reply);
}

// The reply of the row's request or requests, taken as text the row's way.
Text replyText(const AddressService& row, const Text& url) {
    switch (row.request) {
        case AddressRequest::winHttp:
            return webRequestWinHttp(url);
        case AddressRequest::framedPage:
            return readReply(
                row.reading,
                requestObject(frameAddress(requestObject(url, row.extraHeaders)), Text()));
        case AddressRequest::object:
            break;
    }
    return readReply(row.reading, requestObject(url, row.extraHeaders));
}

Text cutAddress(const AddressService& row, const Text& text) {
    switch (row.addressCut) {
        case AddressCut::afterLast:
            return textAfter(text, row.address.left);
        case AddressCut::beforeFirst:
            return textBefore(text, row.address.left);
        case AddressCut::between:
            break;
    }
    return textBetween(text, row.address.left, row.address.right);
}

Text cutPlace(const AddressService& row, const Text& text) {
    Text place;
    for (std::size_t i = 0; i < row.place.size(); ++i) {
        if (i > 0) {
            place += ' ';
        }
        place += textBetween(text, row.place[i].left, row.place[i].right);
    }
    return place;
}

}  // namespace

Text addressServiceUrl(int service) {
    const AddressService& row = addressServiceRow(service);
    return row.scheme + endpointHost(row.endpointKey, row.builtInHost) + row.pathAndQuery;
}

PublicAddress askAddressService(int service, const Text& url) {
    const AddressService& row = addressServiceRow(service);
    const Text text = replyText(row, url);
    return {cutAddress(row, text), cutPlace(row, text)};
}

Text lookupPublicAddress(Text* placeText, int service) {
    PublicAddress found = askAddressService(service, addressServiceUrl(service));
    if (placeText != nullptr) {
        *placeText = std::move(found.place);
    }
    return std::move(found.address);
}

void lookupPublicAddressInBackground(int service, std::function<void(PublicAddress)> done) {
    // The thread is not joined: closing the window must not wait for a
    // service that does not answer. It owns copies of all it uses.
    std::thread([service, url = addressServiceUrl(service), done = std::move(done)] {
        done(askAddressService(service, url));
    }).detach();
}

}  // namespace navoket
