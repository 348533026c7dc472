// The login time-out reaches the ODBC driver: a data source whose server accepts the connection
// and then never answers is given up after the time-out with a clear error, instead of holding
// the program for as long as the server keeps quiet.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "odbc_fixture.h"

namespace tessel::test {
namespace {

// A loopback port whose connections the kernel completes and nobody ever reads or answers.
class SilentListener {
  public:
    SilentListener() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(socket_, 16) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~SilentListener() { ::close(socket_); }

    int port = 0;

  private:
    int socket_ = -1;
};

class OdbcLoginTimeout : public OdbcScriptTest {};

TEST_F(OdbcLoginTimeout, AServerThatNeverAnswersIsGivenUpAfterTheLoginTimeOut) {
    SilentListener listener;
    ASSERT_NE(listener.port, 0);
    const std::string server = "127.0.0.1:" + std::to_string(listener.port);
    AnswerRegistration("Silent", kPostgresDriver, "postgres", server.c_str());
    Run("dbConnect ODBC;dbMake postgres;");
    ASSERT_EQ(Boxes(), "");
    // What Tools > Options does with a login time-out of 2 seconds.
    session.engine.SetLoginTimeout(2);
    session.state.engineObjects.loginTimeout = 2;

    const auto started = std::chrono::steady_clock::now();
    Run("dbOpen Silent;");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3146: The data source could not be connected", 0), 0u)
        << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find("DSN=Silent"), std::string::npos) << ui.boxes[0].text;
    EXPECT_FALSE(session.state.current.databaseOpen);
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 8.0);
}

}  // namespace
}  // namespace tessel::test
