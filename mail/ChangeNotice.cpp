#include "mail/ChangeNotice.h"

#include "app/settings/Settings.h"
#include "mail/MailPort.h"
#include "platform/MailSender.h"
#include "text/CodePageText.h"

namespace navoket {

void sendChangeNotice() {
    const Text email = "Email";
    connectMailServer(readSetting(email, "smtp"), mailPort, readSetting(email, "account"),
                      readSetting(email, "password"));
    // The stored name, not whatever a window shows: the notice names the
    // vessel the baseline belongs to.
    const Text subject =
        ansiText("Navoket 你所关注的") + readSetting("Ship", "Name") + ansiText("有最新变动");
    sendMail(
        subject,
        ansiText("你好，这是一封来自 Navoket 主程序的邮件。旨在告诉你你所关注的船有新的移动轨迹。"
                 "如果你不知道为什么会收到这封邮件，可能是他人误填导致的。"),
        readSetting(email, "receive"), readSetting(email, "account"));
}

}  // namespace navoket
