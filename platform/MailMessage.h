#pragma once

#include "platform/Bytes.h"

namespace navoket {

// What one plain-text mail says. Texts are code-page-936 bytes.
struct MailMessage {
    Text sender;
    Text recipient;
    Text subject;
    Text body;
};

// The message as sent after DATA (RFC 5322 with MIME, RFC 2045): headers,
// base64 body, each line ended by CR LF. hostName goes into the Message-ID.
Bytes buildMailMessage(const MailMessage& message, const Text& hostName);

// True when the text holds a byte that must never reach a header line or an
// SMTP command: C0 controls (CR, LF, NUL, ...) and DEL. Tab counts as well.
bool hasControlCharacter(const Text& text);

}  // namespace navoket
