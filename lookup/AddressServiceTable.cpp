#include "lookup/AddressServiceTable.h"

#include <array>

#include "text/CodePageText.h"

namespace navoket {
namespace {

// The hosts: long-lived public services that answer these paths. Each one can
// be replaced by the settings section "Endpoints", key "lookupN".
const char* const cityJsonHost = "pv.sohu.com";
const char* const ipDatabaseHost = "ip.zxinc.org";
const char* const ipApiHost = "www.ip.cn";
const char* const ipInformationHost = "ip.taobao.com";
const char* const portalHost = "www.cip.cc";
const char* const plainEchoHost = "api.ip.sb";
const char* const jsonInformationHost = "ipinfo.io";
const char* const framedPageHost = "www.ip138.com";

// Browser identification lines, each one whole header line.
const char* const apiBrowserLine =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/47.0.2526.80 Safari/537.36 Core/1.47.277.400 QQBrowser/9.4.7658.400";
const char* const pageBrowserLine =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.87 Safari/537.36";

MarkerPair member(const char* name, bool quoted, bool spaced, const char* right = "\"") {
    return {jsonMemberMarker(name, quoted, spaced), right};
}

std::array<AddressService, 8> buildTable() {
    using enum AddressRequest;
    using enum ReplyReading;
    using enum AddressCut;
    return {{
        {.service = 0,
         .endpointKey = "lookup0",
         .scheme = "http://",
         .builtInHost = framedPageHost,
         .pathAndQuery = "/",
         .request = framedPage,
         .extraHeaders = pageBrowserLine,
         .reading = utf8,
         .addressCut = between,
         .address = {ansiText("您的IP地址是："), "</title>"},
         .place = {{ansiText("来自："), "\n</p>"}}},
        {.service = 1,
         .endpointKey = "lookup1",
         .scheme = "http://",
         .builtInHost = cityJsonHost,
         .pathAndQuery = "/cityjson",
         .request = object,
         .extraHeaders = "",  // defaults only
         .reading = bytesToFirstZero,
         .addressCut = between,
         .address = member("cip", false, true, "\", \"cid"),
         .place = {member("cname", false, true, "\"};")}},
        {.service = 2,
         .endpointKey = "lookup2",
         .scheme = "https://",
         .builtInHost = ipDatabaseHost,
         .pathAndQuery = "/ip/qqwry/",
         .request = object,
         .extraHeaders = "",  // defaults only
         .reading = utf8Unescaped,
         .addressCut = between,
         .address = member("ip", false, false),
         .place = {member("address", false, false)}},
        {.service = 3,
         .endpointKey = "lookup3",
         .scheme = "https://",
         .builtInHost = ipApiHost,
         .pathAndQuery = "/api/index?ip=&type=0",
         .request = object,
         .extraHeaders = apiBrowserLine,
         .reading = utf8,
         .addressCut = between,
         .address = member("ip", true, false),
         .place = {member("address", true, false)}},
        {.service = 4,
         .endpointKey = "lookup4",
         .scheme = "https://",
         .builtInHost = ipInformationHost,
         .pathAndQuery = "/outGetIpInfo?ip=myip&accessKey=qorvex-tuln",
         .request = object,
         .extraHeaders = "",  // defaults only
         .reading = utf8,
         .addressCut = between,
         .address = member("ip", false, false),
         .place = {member("region", false, false), member("city", false, false)}},
        {.service = 5,
         .endpointKey = "lookup5",
         .scheme = "https://",
         .builtInHost = portalHost,
         .pathAndQuery = "/ip",
         .request = object,
         .extraHeaders = "",  // defaults only
         .reading = utf8,
         .addressCut = afterLast,
         .address = {"IP:", ""},
         .place = {}},
        {.service = 6,
         .endpointKey = "lookup6",
         .scheme = "https://",
         .builtInHost = plainEchoHost,
         .pathAndQuery = "/ip",
         .request = object,
         .extraHeaders = "",  // defaults only
         .reading = bytesToFirstZero,
         .addressCut = beforeFirst,
         .address = {"\n", ""},
         .place = {}},
        {.service = 7,
         .endpointKey = "lookup7",
         .scheme = "https://",
         .builtInHost = jsonInformationHost,
         .pathAndQuery = "/json",
         .request = winHttp,
         .extraHeaders = "",  // defaults only
         .reading = returnedText,
         .addressCut = between,
         .address = member("ip", false, true),
         .place = {}},
    }};
}

}  // namespace

Text jsonMemberMarker(const Text& name, bool quoted, bool spaced) {
    return (quoted ? "\"" : "") + name + "\":" + (spaced ? " " : "") + "\"";
}

const AddressService& addressServiceRow(int service) {
    // Built once, on first use; reading it afterwards needs no lock.
    static const std::array<AddressService, 8> table = buildTable();
    return service >= 1 && service <= 7 ? table[static_cast<std::size_t>(service)] : table[0];
}

}  // namespace navoket
