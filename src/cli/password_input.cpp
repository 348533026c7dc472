#include "cli/password_input.h"

#include <termios.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tessel::cli {

namespace {

// The terminal settings to put back if a signal ends the program while echo is off; read by
// the handler, so kept where it can reach them.
int gTerminal = -1;
termios gSaved{};
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction gPrevious[std::size(kEndingSignals)]{};

void RestoreEchoAndEnd(int signal) {
    tcsetattr(gTerminal, TCSAFLUSH, &gSaved);  // async-signal-safe
    // A signal at the prompt ends the program at once, whatever handler the run installed.
    struct sigaction ending {};
    ending.sa_handler = SIG_DFL;
    sigemptyset(&ending.sa_mask);
    sigaction(signal, &ending, nullptr);
    raise(signal);
}

// Puts the terminal's echo back however the reading ends, Ctrl-C included.
class EchoOff {
  public:
    explicit EchoOff(int fd) : fd_(fd) {
        active_ = tcgetattr(fd_, &saved_) == 0;
        if (!active_)
            return;
        gTerminal = fd_;
        gSaved = saved_;
        struct sigaction restore {};
        restore.sa_handler = RestoreEchoAndEnd;
        sigemptyset(&restore.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &restore, &gPrevious[i]);
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd_, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        if (!active_)
            return;
        tcsetattr(fd_, TCSAFLUSH, &saved_);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &gPrevious[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

void DropLineBreak(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
}

}  // namespace

bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    std::getline(file, line);
    if (file.bad() || (file.fail() && !file.eof())) {  // a directory fails here
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    DropLineBreak(line);
    password = line;
    return true;
}

std::optional<std::string> PasswordFromEnvironment() {
    if (const char* value = std::getenv(kPasswordVariable))
        return std::string(value);
    return std::nullopt;
}

std::optional<std::string> ReadPasswordFromTerminal(int fd, const std::string& prompt,
                                                    std::ostream& shown) {
    if (!isatty(fd))
        return std::nullopt;
    // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
    EchoOff quiet(fd);
    shown << prompt;
    shown.flush();
    std::string line;
    char c = 0;
    ssize_t got = 0;
    while ((got = read(fd, &c, 1)) == 1 || (got < 0 && errno == EINTR)) {
        if (got != 1)
            continue;
        if (c == '\n')
            break;
        line += c;
    }
    // The typed line break was not echoed either.
    shown << '\n';
    shown.flush();
    if (got != 1)
        return std::nullopt;
    DropLineBreak(line);
    return line;
}

}  // namespace tessel::cli
