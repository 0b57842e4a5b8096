#pragma once

#include "platform/Bytes.h"

namespace navoket {

// The mail sender: one SMTP connection for the whole process, kept open from
// one connectMailServer to the next. Plain SMTP without TLS. Texts are
// code-page-936 bytes.

// Ends an earlier connection with QUIT, then connects, reads the 220 greeting
// and greets with EHLO (logging in with AUTH LOGIN or AUTH PLAIN as offered)
// or, without a user name and password or when EHLO is refused, with HELO.
// True when the connection is open and any login tried was accepted (235).
// An empty server gives false at once. waitMs bounds every silence.
bool connectMailServer(const Text& server, int port, const Text& user, const Text& password,
                       int waitMs = 2000);

// Sends one plain-text mail over the open connection. The empty text when the
// server accepted it (250 after the data), otherwise what failed; without an
// open connection nothing is sent.
Text sendMail(const Text& subject, const Text& body, const Text& recipient, const Text& sender);

}  // namespace navoket
