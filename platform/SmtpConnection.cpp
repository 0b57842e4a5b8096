#include "platform/SmtpConnection.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace navoket {
namespace {

// A reply longer than this is hostile: nothing in SMTP comes near it.
constexpr std::size_t maxReplyBytes = 64 * 1024;
// A server that trickles a reply may keep each silence short; the whole reply
// still ends within this many wait limits.
constexpr long long replyWaitFactor = 15;

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// One name lookup, shared by the caller and the thread that runs it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    AddressList addresses;
};

// getaddrinfo has no time-out of its own, so it runs on a thread of its own
// and the caller waits for it only until the deadline. A lookup that outlives
// the deadline finishes by itself and frees what it found.
AddressList resolve(const Text& host, int port, long long deadlineMs) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
            found = nullptr;
        }
        const std::lock_guard lock(lookup->mutex);
        lookup->addresses.reset(found);
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    const auto deadline =
        std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadlineMs));
    if (!lookup->finished.wait_until(lock, deadline, [&lookup] { return lookup->done; })) {
        return nullptr;
    }
    return std::move(lookup->addresses);
}

// Waits for one poll event until the deadline; false on time-out or error.
bool waitFor(int socket, short events, long long deadlineMs) {
    for (;;) {
        const long long left = deadlineMs - nowMs();
        if (left <= 0) {
            return false;
        }
        pollfd entry{socket, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// A non-blocking socket connected to one address before the deadline, or -1.
int connectOne(const addrinfo& address, long long deadlineMs) {
    const int candidate = socket(
        address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (candidate < 0) {
        return -1;
    }
    if (connect(candidate, address.ai_addr, address.ai_addrlen) == 0) {
        return candidate;
    }
    int error = errno;
    if (error == EINPROGRESS && waitFor(candidate, POLLOUT, deadlineMs)) {
        socklen_t size = sizeof error;
        if (getsockopt(candidate, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) {
            return candidate;
        }
    }
    ::close(candidate);
    return -1;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

Bytes dotStuffed(const Bytes& message) {
    Bytes stuffed;
    stuffed.reserve(message.size() + 16);
    bool lineStart = true;
    for (const char c : message) {
        if (lineStart && c == '.') {
            stuffed += '.';
        }
        stuffed += c;
        lineStart = c == '\n';
    }
    return stuffed;
}

SmtpConnection::~SmtpConnection() {
    close();
}

bool SmtpConnection::open(const Text& host, int port, int waitMs) {
    close();
    m_waitMs = waitMs > 0 ? waitMs : 1;
    if (port < 1 || port > 65535) {
        return false;
    }
    // Finding the host and connecting to it share one wait limit.
    const long long deadline = nowMs() + m_waitMs;
    const AddressList addresses = resolve(host, port, deadline);
    for (const addrinfo* address = addresses.get(); address != nullptr && m_socket < 0;
         address = address->ai_next) {
        m_socket = connectOne(*address, deadline);
    }
    return isOpen();
}

void SmtpConnection::close() {
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    m_pending.clear();
}

bool SmtpConnection::sendBytes(const Bytes& bytes) {
    std::size_t sent = 0;
    while (isOpen() && sent < bytes.size()) {
        const ssize_t count =
            send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                   waitFor(m_socket, POLLOUT, nowMs() + m_waitMs)) {
            continue;
        } else {
            close();
        }
    }
    return isOpen();
}

bool SmtpConnection::readLine(Text& line, long long deadlineMs) {
    for (;;) {
        const std::size_t end = m_pending.find('\n');
        if (end != Bytes::npos) {
            line.assign(m_pending, 0, end);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            m_pending.erase(0, end + 1);
            return true;
        }
        if (m_pending.size() > maxReplyBytes) {
            return false;
        }
        // Each silence may last the wait limit, but never past the deadline.
        const long long silenceEnd = std::min(nowMs() + m_waitMs, deadlineMs);
        if (!waitFor(m_socket, POLLIN, silenceEnd)) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = recv(m_socket, buffer, sizeof buffer, 0);
        if (count > 0) {
            m_pending.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            return false;
        }
    }
}

SmtpReply SmtpConnection::readReply() {
    SmtpReply reply;
    if (!isOpen()) {
        return reply;
    }
    const long long deadline = nowMs() + replyWaitFactor * m_waitMs;
    Text line;
    while (readLine(line, deadline)) {
        // "250-..." continues a reply, "250 ..." or a bare "250" ends it.
        const bool coded = line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) &&
                           isDigit(line[2]) &&
                           (line.size() == 3 || line[3] == ' ' || line[3] == '-');
        if (!coded || reply.text.size() + line.size() > maxReplyBytes) {
            break;
        }
        reply.text += line;
        reply.text += '\n';
        if (line.size() == 3 || line[3] == ' ') {
            reply.code = std::stoi(line.substr(0, 3));
            return reply;
        }
    }
    close();
    return SmtpReply{0, reply.text};
}

bool SmtpConnection::sendData(const Bytes& message) {
    Bytes data = dotStuffed(message);
    if (!data.empty() && data.back() != '\n') {
        data += "\r\n";
    }
    return sendBytes(data + ".\r\n");
}

SmtpReply SmtpConnection::command(const Text& line) {
    if (!sendBytes(line + "\r\n")) {
        return SmtpReply{};
    }
    return readReply();
}

}  // namespace navoket
