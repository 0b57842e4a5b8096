#pragma once

#include <functional>

#include "platform/Bytes.h"

namespace navoket {

struct PublicAddress {
    Text address;
    Text place;
};

// The first address a service is asked at: the row's scheme, path and query
// around its host, the host taken from the settings section "Endpoints" when
// set there. Reads the settings file, so it runs where settings may be read.
Text addressServiceUrl(int service);

// Asks service at url (from addressServiceUrl) and cuts address and place from
// the reply. Reads no settings and keeps nothing, so any thread may run it.
// A service out of reach or a reply without the markers gives empty texts.
PublicAddress askAddressService(int service, const Text& url);

// The machine's public address as the service reports it; the place goes to
// placeText when given. Services 1 to 7 are asked as numbered, every other
// value asks the default service. No other service is tried on failure.
Text lookupPublicAddress(Text* placeText = nullptr, int service = 0);

// Looks the address up on a thread of its own and hands the result to done on
// that thread; returns at once. The host is read from the settings before it
// returns. The thread is not joined and uses nothing of the caller's but done,
// so done must stay valid (and safe to call from that thread) on its own. It
// does use static objects, so a process that ends while it runs must end
// without destroying them (std::quick_exit).
void lookupPublicAddressInBackground(int service, std::function<void(PublicAddress)> done);

}  // namespace navoket
