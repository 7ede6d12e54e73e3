// Starts a program and measures how long it takes until its first top-level
// window is mapped on the X server, the moment the window appears (what
// `xdotool search --sync --onlyvisible` waits for, without its half-second
// polling). Runs each program several times, taking turns between the
// programs given so they share whatever else the machine is doing, and
// prints each one's median and its ratio to the first program's: the ratio
// of the medians, and the median of the ratios within each turn, which a
// machine whose load changes from one second to the next disturbs less.
// Every other turn runs the programs in the opposite order, so none of them
// always comes first.
//
//   window_wait [--runs N] [--timeout S] [--deaf-sound-server]
//               -- program [args] [-- program [args] ...]
//
// Each program runs once more before the counted runs, so every count is
// taken with the files in the page cache. A program is ended with SIGTERM
// once its window is seen and is reaped before the next start. Without a
// window manager every top-level window is a child of the root window; the
// program's own is told apart by the _NET_WM_PID that Qt sets.
//
// --deaf-sound-server points PULSE_SERVER at a socket that takes connections
// and never answers, as a hung sound server does.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool window_pid(Display* display, Window window, Atom pid_atom, long* pid)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(display, window, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format,
                                      &count, &after, &data);
    const bool found = rc == Success && type == XA_CARDINAL && format == 32 && count == 1 && data;
    if (found) *pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return found;
}

// Milliseconds from the fork to the map of the child's first top-level
// window; negative when it did not appear within the time.
double one_run(Display* display, Atom pid_atom, char** argv, double timeout_s)
{
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);  // drop anything left over from the run before
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    double result = -1;
    const int fd = ConnectionNumber(display);
    while (result < 0) {
        const double waited = std::chrono::duration<double>(Clock::now() - start).count();
        if (waited > timeout_s) break;
        if (XPending(display) == 0) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify || event.xmap.override_redirect) continue;
        const auto seen = Clock::now();
        long pid = 0;
        if (window_pid(display, event.xmap.window, pid_atom, &pid) && pid == child) {
            result = std::chrono::duration<double, std::milli>(seen - start).count();
        }
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}

// A unix socket that is listened on and never accepted from: connecting
// succeeds, and no answer ever comes.
class DeafServer {
public:
    bool start()
    {
        std::string folder = (std::filesystem::temp_directory_path() / "deaf-sound-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr) return false;
        folder_ = folder;
        const std::string path = folder_ + "/native";
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) return false;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(fd_, 128) != 0) {
            return false;
        }
        setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
        return true;
    }
    ~DeafServer()
    {
        if (fd_ >= 0) close(fd_);
        if (!folder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder_, ignored);
        }
    }

private:
    int fd_ = -1;
    std::string folder_;
};

// The program's name with its folder, so two builds of one program tell apart.
std::string shown_name(const char* program)
{
    const std::filesystem::path path(program);
    const std::string folder = path.parent_path().filename().string();
    return folder.empty() ? path.filename().string() : folder + "/" + path.filename().string();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    double timeout_s = 60;
    bool deaf = false;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeout_s = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--deaf-sound-server") == 0) {
            deaf = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--runs N] [--timeout S] [--deaf-sound-server] -- program [args] "
                         "[-- program ...]\n",
                         argv[0]);
            return 2;
        }
    }
    // The programs, each a null-terminated argument list cut out of argv.
    std::vector<char**> programs;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            argv[i] = nullptr;
            if (i + 1 < argc) programs.push_back(&argv[i + 1]);
        }
    }
    if (programs.empty()) {
        std::fprintf(stderr, "no program given\n");
        return 2;
    }
    DeafServer deaf_server;
    if (deaf && !deaf_server.start()) {
        std::fprintf(stderr, "cannot make the deaf sound server\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const Atom pid_atom = XInternAtom(display, "_NET_WM_PID", False);

    std::vector<std::vector<double>> times(programs.size());
    for (int run = -1; run < runs; ++run) {
        for (std::size_t turn = 0; turn < programs.size(); ++turn) {
            const std::size_t p = run % 2 == 0 ? turn : programs.size() - 1 - turn;
            const double ms = one_run(display, pid_atom, programs[p], timeout_s);
            if (ms < 0) {
                std::fprintf(stderr, "%s: no window within %.0f s\n", programs[p][0], timeout_s);
                return 1;
            }
            if (run >= 0) times[p].push_back(ms);
        }
    }
    const double yardstick = median(times[0]);
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const auto [low, high] = std::minmax_element(times[p].begin(), times[p].end());
        const double middle = median(times[p]);
        std::vector<double> ratios;
        for (std::size_t run = 0; run < times[p].size(); ++run)
            ratios.push_back(times[p][run] / times[0][run]);
        std::printf("%-32s median %7.1f ms  x%.2f, per turn x%.2f  (min %.1f, max %.1f, %d runs)\n",
                    shown_name(programs[p][0]).c_str(), middle, middle / yardstick, median(ratios), *low,
                    *high, runs);
    }
    XCloseDisplay(display);
    return 0;
}
