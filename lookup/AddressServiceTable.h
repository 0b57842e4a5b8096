#pragma once

#include <vector>

#include "platform/Bytes.h"

namespace navoket {

// How a service is asked.
enum class AddressRequest {
    object,      // webRequestObject, GET, with the row's extraHeaders and nothing else
    winHttp,     // webRequestWinHttp with the address alone
    framedPage,  // the root page first, then the result page of its inline frame
};

// How the reply becomes the text that the markers are cut from.
enum class ReplyReading {
    bytesToFirstZero,  // the reply bytes as they are, up to the first zero byte
    utf8,              // utf8BytesToAnsi
    utf8Unescaped,     // utf8BytesToAnsi, then unescapeText
    returnedText,      // the text that webRequestWinHttp returns
};

// How the address is cut from the reply text.
enum class AddressCut {
    between,      // textBetween(left, right)
    afterLast,    // textAfter(left): everything behind its last occurrence
    beforeFirst,  // textBefore(left): everything before its first occurrence
};

struct MarkerPair {
    Text left;
    Text right;
};

// One row of AddressServiceTable.
struct AddressService {
    int service = 0;   // 1 to 7, 0 for the default row
    Text endpointKey;  // the key of the settings section "Endpoints" overriding the host
    Text scheme;       // "http://" or "https://"
    Text builtInHost;
    Text pathAndQuery;
    AddressRequest request = AddressRequest::object;
    Text extraHeaders;  // the first request's extraHeaders
    ReplyReading reading = ReplyReading::utf8;
    AddressCut addressCut = AddressCut::between;
    MarkerPair address;
    // Cut one by one and joined with one space; no pieces, no place.
    std::vector<MarkerPair> place;
};

// The row of a service number: 1 to 7 select their own rows, every other
// value the default row.
const AddressService& addressServiceRow(int service);

// The left marker of JSON member name as the rows cut it: an opening quote
// when quoted, the name, a quote, a colon, a space when spaced, a quote.
Text jsonMemberMarker(const Text& name, bool quoted, bool spaced);

}  // namespace navoket
