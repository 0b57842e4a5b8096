#pragma once

#include "platform/Bytes.h"

namespace navoket {

// Tests mail settings: connects to the server on port 25 with the account,
// shows "信息状态为真" or "信息状态为假", sends the verification mail to the
// recipient with the user as sender whatever the connection gave, then shows
// where to look for it. Texts are code-page-936 bytes.
void sendVerificationMail(const Text& server, const Text& user, const Text& password,
                          const Text& recipient);

}  // namespace navoket
