#include "mail/VerificationMail.h"

#include "mail/MailPort.h"
#include "platform/MailSender.h"
#include "platform/MessageBox.h"
#include "text/CodePageText.h"

namespace navoket {

void sendVerificationMail(const Text& server, const Text& user, const Text& password,
                          const Text& recipient) {
    const Text title = "Navoket";
    const bool connected = connectMailServer(server, mailPort, user, password);
    showMessageBox(ansiText("信息状态为") + ansiText(connected ? "真" : "假"), title,
                   messageBoxIconInformation);
    // The mail goes out even after a failed connection; the sender then has
    // nothing to send it over and the status is not shown to anyone.
    sendMail(ansiText("Navoket 验证"),
             ansiText("你好，这是一封来自 Navoket 主程序的验证邮件。"
                      "如果你不知道为什么会收到这封邮件，可能是他人误填导致的。"),
             recipient, user);
    showMessageBox(
        ansiText("如果信息状态正确，那么一封标题为 <Navoket 验证> 的邮件将会发送至您的邮箱。"),
        title, messageBoxIconInformation);
}

}  // namespace navoket
