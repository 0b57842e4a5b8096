#include "platform/MailSender.h"

#include <unistd.h>

#include "platform/Base64.h"
#include "platform/MailMessage.h"
#include "platform/SmtpConnection.h"

namespace navoket {
namespace {

SmtpConnection& mailConnection() {
    static SmtpConnection connection;
    return connection;
}

// The EHLO and HELO argument (RFC 5321 section 4.1.1.1); the plain host name
// is what the greeting has always carried here.
Text localHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0' || hasControlCharacter(name)) {
        return "localhost";
    }
    return name;
}

// Whether an EHLO reply offers a SASL mechanism: a line "250-AUTH LOGIN PLAIN"
// or the old "250-AUTH=LOGIN" form, keywords in any case.
bool offersMechanism(const Text& ehloReply, const Text& mechanism) {
    auto upper = [](Text text) {
        for (char& c : text) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return text;
    };
    const Text reply = upper(ehloReply);
    std::size_t lineStart = 0;
    while (lineStart < reply.size()) {
        std::size_t lineEnd = reply.find('\n', lineStart);
        if (lineEnd == Text::npos) {
            lineEnd = reply.size();
        }
        const Text line = reply.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (line.size() < 9 || line.compare(4, 4, "AUTH") != 0 ||
            (line[8] != ' ' && line[8] != '=')) {
            continue;
        }
        const Text words = " " + line.substr(9) + " ";
        if (words.find(" " + mechanism + " ") != Text::npos) {
            return true;
        }
    }
    return false;
}

bool loginWithLogin(SmtpConnection& connection, const Text& user, const Text& password) {
    return connection.command("AUTH LOGIN").code == 334 &&
           connection.command(base64Encode(user)).code == 334 &&
           connection.command(base64Encode(password)).code == 235;
}

bool loginWithPlain(SmtpConnection& connection, const Text& user, const Text& password) {
    const Bytes credentials = Bytes(1, '\0') + user + Bytes(1, '\0') + password;
    return connection.command("AUTH PLAIN").code == 334 &&
           connection.command(base64Encode(credentials)).code == 235;
}

// A session whose HELO or login was refused is ended at once (QUIT): a mail
// sent over it would go out without the login the caller asked for, so a
// wrong password means that no mail leaves. Always false.
bool endRefusedSession(SmtpConnection& connection) {
    if (connection.isOpen()) {
        connection.command("QUIT");
        connection.close();
    }
    return false;
}

// The server's own words for a status text, on one line.
Text replyText(const SmtpReply& reply) {
    if (reply.code == 0) {
        return "no reply from the server";
    }
    Text text = reply.text;
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return text;
}

// After a refusal the transaction is reset (RFC 5321 section 4.1.1.5) so the
// connection can carry the next mail.
Text refused(SmtpConnection& connection, const Text& step, const SmtpReply& reply) {
    if (connection.isOpen()) {
        connection.command("RSET");
    }
    return step + " failed: " + replyText(reply);
}

}  // namespace

bool connectMailServer(const Text& server, int port, const Text& user, const Text& password,
                       int waitMs) {
    SmtpConnection& connection = mailConnection();
    if (connection.isOpen()) {
        connection.command("QUIT");
        connection.close();
    }
    if (server.empty() || hasControlCharacter(server)) {
        return false;
    }
    if (!connection.open(server, port, waitMs)) {
        return false;
    }
    if (connection.readReply().code != 220) {
        connection.close();
        return false;
    }
    const Text hostName = localHostName();
    if (!user.empty() && !password.empty()) {
        const SmtpReply ehlo = connection.command("EHLO " + hostName);
        if (ehlo.code == 250) {
            bool loggedIn = true;
            if (offersMechanism(ehlo.text, "LOGIN")) {
                loggedIn = loginWithLogin(connection, user, password);
            } else if (offersMechanism(ehlo.text, "PLAIN")) {
                loggedIn = loginWithPlain(connection, user, password);
            }
            return loggedIn || endRefusedSession(connection);
        }
        if (!connection.isOpen()) {
            return false;
        }
    }
    return connection.command("HELO " + hostName).code == 250 || endRefusedSession(connection);
}

Text sendMail(const Text& subject, const Text& body, const Text& recipient, const Text& sender) {
    SmtpConnection& connection = mailConnection();
    if (!connection.isOpen()) {
        return "not connected to a mail server";
    }
    // RFC 5321 section 4.1.2: a path holds no controls; one would end the
    // command early and smuggle in another.
    if (recipient.empty()) {
        return "no recipient";
    }
    if (hasControlCharacter(recipient) || hasControlCharacter(sender)) {
        return "address with a control character";
    }
    const SmtpReply mailFrom = connection.command("MAIL FROM:<" + sender + ">");
    if (mailFrom.code != 250) {
        return refused(connection, "MAIL FROM", mailFrom);
    }
    const SmtpReply rcptTo = connection.command("RCPT TO:<" + recipient + ">");
    if (rcptTo.code != 250 && rcptTo.code != 251) {
        return refused(connection, "RCPT TO", rcptTo);
    }
    const SmtpReply data = connection.command("DATA");
    if (data.code != 354) {
        return refused(connection, "DATA", data);
    }
    const Bytes message =
        buildMailMessage(MailMessage{sender, recipient, subject, body}, localHostName());
    if (!connection.sendData(message)) {
        return "connection lost while sending the message";
    }
    const SmtpReply accepted = connection.readReply();
    if (accepted.code != 250) {
        return refused(connection, "message", accepted);
    }
    return Text();
}

}  // namespace navoket
