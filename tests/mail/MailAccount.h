#pragma once

#include <string>
#include <vector>

#include "platform/Bytes.h"
#include "tests/support/PeerProcess.h"

namespace navoket::test {

// The one account the mail tests' SMTP server accepts, and where mails go.
inline const Text account = "navoket@example.test";
inline const Text password = "secret";
inline const Text recipient = "watch@example.test";

// smtp_server.py (aiosmtpd, no TLS) that takes mail only after a login with
// that account; where holds the options placing it (a listen address, a port).
inline std::vector<std::string> accountServer(const std::vector<std::string>& where = {}) {
    std::vector<std::string> options = where;
    options.insert(options.end(), {"--user", account, "--password", password, "--auth-required"});
    return PeerProcess::pythonScript("smtp_server.py", options);
}

}  // namespace navoket::test
