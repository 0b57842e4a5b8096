#pragma once

#include "platform/Bytes.h"

namespace navoket {

// RFC 5321 section 4.5.2: every line that starts with "." gets one more, so
// that no line of a message reads as the end of the data.
Bytes dotStuffed(const Bytes& message);

// One reply of an SMTP server (RFC 5321 section 4.2): the code of its last
// line and all its lines. Code 0 stands for no usable reply: silence past the
// bound, a closed or broken connection, or lines that are not a reply.
struct SmtpReply {
    int code = 0;
    Text text;
};

// A TCP connection to an SMTP server that owns its socket. Every wait is
// bounded: finding the host and connecting together, each stalled write and
// each silence inside a reply last at most waitMs, and a whole reply at most
// a fixed multiple of it.
class SmtpConnection {
public:
    SmtpConnection() = default;
    ~SmtpConnection();
    SmtpConnection(const SmtpConnection&) = delete;
    SmtpConnection& operator=(const SmtpConnection&) = delete;

    // Closes any earlier socket first; false when no address of the host
    // accepted the connection in time.
    bool open(const Text& host, int port, int waitMs);
    void close();
    bool isOpen() const { return m_socket >= 0; }

    // The whole buffer or false (the connection is then closed).
    bool sendBytes(const Bytes& bytes);
    // Reads one reply, single- or multi-line; a code-0 reply closes the
    // connection, since the stream can no longer be trusted to be in step.
    SmtpReply readReply();
    // The message after DATA, dot-stuffed, and the "." line that ends it.
    bool sendData(const Bytes& message);
    // A command line (CR LF added) and its reply.
    SmtpReply command(const Text& line);

private:
    bool readLine(Text& line, long long deadlineMs);

    int m_socket = -1;
    int m_waitMs = 0;
    Bytes m_pending;  // bytes received after the last complete line
};

}  // namespace navoket
