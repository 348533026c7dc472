// A PostgreSQL server of one's own: initdb into a temporary directory and pg_ctl on a free
// loopback port, as an unprivileged user (the server refuses to run as root). Stopped when
// destroyed. `problem` says why it is not running.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace tessel::test {

class PostgresServer {
  public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // The directory of the installed server's programs (initdb, pg_ctl, psql), "" when none.
    static std::string Binaries();
    // The user that owns the cluster and that clients log in as.
    static std::string UserName();

    TempDir dir;
    int port = 0;
    std::string pgCtl;
    bool running = false;
    std::string problem;
};

// A loopback port nothing listens on now.
int FreeLoopbackPort();

}  // namespace tessel::test
