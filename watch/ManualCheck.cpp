#include "watch/ManualCheck.h"

#include "app/settings/ProgramTexts.h"
#include "app/settings/Settings.h"
#include "platform/MessageBox.h"
#include "text/CodePageText.h"
#include "watch/VesselDigest.h"

namespace navoket {
namespace {

void tell(const Text& text, unsigned icon) {
    showMessageBox(text, "Navoket", messageBoxOk | icon);
}

void tellRefreshFailed(const Text& reason) {
    tell(ansiText("无法刷新缓存：") + reason + ansiText("。原有缓存保持不变。"),
         messageBoxIconInformation);
}

}  // namespace

CheckOutcome checkVessel(const Text& vesselName) {
    auto& texts = programTexts();
    texts.checkPostText = "vessel=" + vesselName;
    const VesselFetch fetch = fetchVesselDigest(vesselName);
    texts.checkBlock = fetch.block;
    texts.checkDigest = fetch.digest;

    // Without a block there is nothing to compare: a network failure or a page
    // without the schedule must not pass for a change (nor for sameness).
    if (!fetch.hasBlock) {
        tell(ansiText("这次请求失败：") + fetch.failure +
                 ansiText("。无法判断数据是否有变动，请稍后再试。"),
             messageBoxIconInformation);
        return CheckOutcome::failed;
    }
    if (texts.checkDigest != readSetting("Ship", "Data")) {
        tell(ansiText("这次请求发现数据有变动。请手动打开浏览器检查。"), messageBoxIconExclamation);
        return CheckOutcome::changed;
    }
    tell(ansiText("这次请求发现结果相同。"), messageBoxIconInformation);
    return CheckOutcome::same;
}

RefreshOutcome refreshBaseline(RefreshCaller caller) {
    const VesselFetch fetch = fetchVesselDigest(readSetting("Ship", "Name"));
    if (caller == RefreshCaller::mainWindow) {
        auto& texts = programTexts();
        texts.lastVesselBlock = fetch.block;
        texts.lastVesselDigest = fetch.digest;
    }

    // The baseline is only ever replaced by the digest of a real block.
    if (!fetch.hasBlock) {
        tellRefreshFailed(fetch.failure);
        return RefreshOutcome::failed;
    }
    // An error page's digest would make the next check report a change that
    // is none, so it never becomes the baseline.
    if (fetch.fromErrorPage()) {
        tellRefreshFailed(errorPageReason(fetch.status));
        return RefreshOutcome::refusedErrorPage;
    }
    if (!writeSetting("Ship", "Data", fetch.digest)) {
        tellRefreshFailed(ansiText("配置文件无法写入"));
        return RefreshOutcome::failed;
    }
    return RefreshOutcome::stored;
}

}  // namespace navoket
