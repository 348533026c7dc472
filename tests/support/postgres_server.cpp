#include "support/postgres_server.h"

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tessel::test {

namespace fs = std::filesystem;

int FreeLoopbackPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(socket);
    return port;
}

std::string PostgresServer::Binaries() {
    std::string found;
    if (fs::exists("/usr/lib/postgresql")) {
        for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql")) {
            const std::string bin = entry.path().string() + "/bin";
            if (fs::exists(bin + "/initdb") && bin > found)
                found = bin;
        }
    }
    return found;
}

std::string PostgresServer::UserName() {
    const passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : "postgres";
}

PostgresServer::PostgresServer() {
    const std::string bin = Binaries();
    if (bin.empty()) {
        problem = "the PostgreSQL server is not installed: apt-get install postgresql";
        return;
    }
    // The server refuses to run as root: an unprivileged user owns its directory.
    const bool root = geteuid() == 0;
    const std::string as = root ? "runuser -u nobody -- " : "";
    if (root && std::system("id nobody >/dev/null 2>&1") != 0) {
        problem = "running as root and there is no unprivileged user 'nobody' to run the server as";
        return;
    }
    fs::permissions(dir.Path(), fs::perms::all, fs::perm_options::add);
    if (root)
        std::system(("chown nobody '" + dir.Path().string() + "'").c_str());
    port = FreeLoopbackPort();
    const std::string data = dir.File("data");
    const std::string initdb = as + "'" + bin + "/initdb' -D '" + data + "' -U '" + UserName() +
                               "' -A trust -E UTF8 --locale=C --no-sync >'" +
                               dir.File("initdb.log") + "' 2>&1";
    if (std::system(initdb.c_str()) != 0) {
        problem = "initdb failed: " + ReadBytes(dir.File("initdb.log"));
        return;
    }
    pgCtl = as + "'" + bin + "/pg_ctl' -D '" + data + "'";
    const std::string start = pgCtl + " -w -t 60 -l '" + dir.File("server.log") + "' -o '-p " +
                              std::to_string(port) + " -k " + dir.Path().string() +
                              " -c listen_addresses=127.0.0.1 -F' start >/dev/null 2>&1";
    if (std::system(start.c_str()) != 0) {
        problem = "the server did not start: " + ReadBytes(dir.File("server.log"));
        return;
    }
    running = true;
}

PostgresServer::~PostgresServer() {
    if (running)
        std::system((pgCtl + " -m immediate stop >/dev/null 2>&1").c_str());
}

}  // namespace tessel::test
