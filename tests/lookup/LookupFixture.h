#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/settings/Settings.h"
#include "tests/support/RecordingHttpServer.h"
#include "tests/support/TempFolder.h"

namespace navoket::test {

// A fresh drive C: per test and two loopback stand-ins shared by the suite, one
// for the plain-HTTP services and one for the HTTPS ones (its self-signed
// certificate is ignored by the requests, as they ignore certificate errors).
class LookupFixture : public ::testing::Test {
public:
    // The settings key that moves service's host ("lookup0" for every value
    // outside 1 to 7).
    static std::string endpointKey(int service) {
        return "lookup" + std::to_string(service >= 1 && service <= 7 ? service : 0);
    }
    static bool usesTls(int service) { return service >= 2 && service <= 7; }

protected:
    static void SetUpTestSuite() {
        if (!s_plain) {
            s_plain = std::make_unique<RecordingHttpServer>();
            RecordingHttpServer::Options tlsOptions;
            tlsOptions.tls = true;
            s_tls = std::make_unique<RecordingHttpServer>(tlsOptions);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(s_plain->ready() && s_tls->ready()) << "the stand-ins did not start";
        ASSERT_TRUE(s_plain->clear() && s_tls->clear());
        m_drive = std::make_unique<TempFolder>();
        // The settings file's folders, as after the first run.
        firstRunSetup();
    }

    void TearDown() override { m_drive.reset(); }

    static RecordingHttpServer& plain() { return *s_plain; }
    static RecordingHttpServer& tls() { return *s_tls; }
    // The stand-in that answers for service, with its host set in the settings.
    static RecordingHttpServer& standInFor(int service) {
        RecordingHttpServer& server = usesTls(service) ? tls() : plain();
        writeSetting("Endpoints", endpointKey(service), hostOf(server));
        return server;
    }
    static std::string hostOf(const RecordingHttpServer& server) {
        return "127.0.0.1:" + std::to_string(server.port());
    }
    // The request line of every request the server received, in order.
    static std::vector<std::string> requestLines(RecordingHttpServer& server) {
        std::vector<std::string> lines;
        for (const std::string& request : server.requests()) {
            lines.push_back(request.substr(0, request.find("\r\n")));
        }
        return lines;
    }

private:
    static inline std::unique_ptr<RecordingHttpServer> s_plain;
    static inline std::unique_ptr<RecordingHttpServer> s_tls;
    std::unique_ptr<TempFolder> m_drive;
};

}  // namespace navoket::test
