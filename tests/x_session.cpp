#include "x_session.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void exec_or_die(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::perror(args[0]);
    _exit(127);
}

void pause_briefly() { usleep(10000); }

}  // namespace

double seconds_now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool wait_until(const std::function<bool()>& ready, double seconds)
{
    const double deadline = seconds_now() + seconds;
    while (!ready()) {
        if (seconds_now() > deadline) return ready();
        pause_briefly();
    }
    return true;
}

XServer::XServer(const std::vector<std::string>& extra_args, bool connect, const std::string& screen)
{
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDERR_FILENO);  // Xvfb chatters about fonts and keymaps
        std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]),
                                         "-screen", "0", screen, "-nolisten", "tcp"};
        argv.insert(argv.end(), extra_args.begin(), extra_args.end());
        exec_or_die(argv);
    }
    close(fds[1]);
    char number[32] = {};
    size_t length = 0;
    while (length + 1 < sizeof number && read(fds[0], number + length, 1) == 1 &&
           number[length] != '\n')
        ++length;
    close(fds[0]);
    number[length] = '\0';
    if (length == 0) return;
    name = std::string(":") + number;
    if (connect) display = XOpenDisplay(name.c_str());
}

XServer::~XServer()
{
    if (display) XCloseDisplay(display);
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

bool XServer::running()
{
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == pid) pid = -1;
    return pid > 0;
}

Process::Process(const XServer& server, const std::string& path,
                 const std::vector<std::string>& args, const std::vector<std::string>& environment)
    // This server, even from a desktop where a Wayland session is there.
    : Process(path, args, [&] {
          std::vector<std::string> settings = {"DISPLAY=" + server.name, "FLTK_BACKEND=x11"};
          settings.insert(settings.end(), environment.begin(), environment.end());
          return settings;
      }())
{
    display_name = server.name;
    server_pid = server.pid;
}

Process::Process(const std::string& path, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment)
{
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);  // a window manager chatters there
        dup2(fds[1], STDERR_FILENO);
        for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
        std::vector<std::string> argv = {path};
        argv.insert(argv.end(), args.begin(), args.end());
        exec_or_die(argv);
    }
    close(fds[1]);
    stderr_fd = fds[0];
    // Read as it comes, never waiting: Wine's server keeps the pipe open.
    fcntl(stderr_fd, F_SETFL, O_NONBLOCK);
}

void Process::read_stderr()
{
    char buffer[4096];
    ssize_t n;
    while ((n = read(stderr_fd, buffer, sizeof buffer)) > 0) stderr_text.append(buffer, static_cast<size_t>(n));
}

Process::~Process()
{
    if (pid > 0 && !wait_exit(0)) {
        kill(pid, SIGKILL);
        wait_exit(5);
    }
    if (stderr_fd >= 0) close(stderr_fd);
}

bool Process::wait_exit(double seconds)
{
    if (pid <= 0) return true;
    rusage usage{};
    const bool exited = wait_until([&] { return wait4(pid, &status, WNOHANG, &usage) == pid; },
                                   seconds);
    if (!exited) return false;
    pid = -1;
    max_rss_kib = usage.ru_maxrss;
    read_stderr();
    return true;
}

bool exited_with(Process& program, int code)
{
    return program.wait_exit(30) && WIFEXITED(program.status) && WEXITSTATUS(program.status) == code;
}

bool ends_after(Process& program, const std::function<void()>& action)
{
    return wait_until([&] {
        action();
        return program.wait_exit(0.5);
    });
}

double Process::cpu_seconds() const
{
    // Summed over the threads, for Mesa draws on worker threads of its own;
    // schedstat counts nanoseconds where stat counts 10 ms ticks.
    double total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(tasks.c_str()), closedir);
    if (!directory) return -1;
    while (const dirent* entry = readdir(directory.get())) {
        if (entry->d_name[0] == '.') continue;
        const std::string path = tasks + "/" + entry->d_name + "/schedstat";
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), std::fclose);
        unsigned long long nanoseconds = 0;
        if (file && std::fscanf(file.get(), "%llu", &nanoseconds) == 1)
            total += static_cast<double>(nanoseconds) * 1e-9;
    }
    return total;
}

namespace {

// Calls found(window, its attributes) for each window named so among the
// children of parent and, to this depth, theirs (a window manager's frames
// hold the clients), until found returns true.
bool each_named(Display* display, Window parent, const char* name, int depth,
                const std::function<bool(Window, const XWindowAttributes&)>& found)
{
    Window root_return, parent_return, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root_return, &parent_return, &children, &count)) return false;
    bool done = false;
    for (unsigned i = 0; i < count && !done; ++i) {
        char* window_name = nullptr;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
        if (XFetchName(display, children[i], &window_name) && window_name &&
            std::string(window_name) == name)
            done = found(children[i], attributes);
        else if (depth > 0)
            done = each_named(display, children[i], name, depth - 1, found);
        if (window_name) XFree(window_name);
    }
    if (children) XFree(children);
    return done;
}

// "pid: state in wchan" for each thread of a process.
std::string threads_of(pid_t pid)
{
    std::string text;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(tasks.c_str()), closedir);
    if (!directory) return "gone";
    while (const dirent* entry = readdir(directory.get())) {
        if (entry->d_name[0] == '.') continue;
        const std::string task = tasks + "/" + entry->d_name;
        std::string stat, wchan;
        for (auto [path, into] : {std::pair{"/stat", &stat}, std::pair{"/wchan", &wchan}}) {
            std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen((task + path).c_str(), "r"), std::fclose);
            char line[512] = {};
            if (file && std::fgets(line, sizeof line, file.get())) *into = line;
        }
        // The state follows the command's closing parenthesis.
        const size_t name_end = stat.rfind(')');
        const char state = name_end + 2 < stat.size() ? stat[name_end + 2] : '?';
        text += std::string(text.empty() ? "" : ", ") + entry->d_name + ": " + state + " in " +
                (wchan.empty() || wchan == "0" ? "user space" : wchan);
    }
    return text;
}

// The windows named Velmora on a server, each with its map state and
// geometry, asked for by a child process that is given up on after 5 s,
// as a server that has stopped answering would hold any request for ever.
std::string velmora_windows(const std::string& display_name)
{
    int fds[2];
    if (pipe(fds) != 0) return "unknown";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string text;
        Display* display = XOpenDisplay(display_name.c_str());
        if (!display) {
            text = "the X server refuses connections";
        } else {
            XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
            each_named(display, DefaultRootWindow(display), "Velmora", 2,
                       [&](Window window, const XWindowAttributes& attributes) {
                           int x = 0, y = 0;
                           Window ignored;
                           XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0,
                                                 &x, &y, &ignored);
                           text += std::string(text.empty() ? "" : ", ") +
                                   (attributes.map_state == IsViewable ? "mapped " : "unmapped ") +
                                   std::to_string(attributes.width) + " x " +
                                   std::to_string(attributes.height) + " at (" + std::to_string(x) +
                                   ", " + std::to_string(y) + ")";
                           return false;
                       });
            if (text.empty()) text = "none";
        }
        if (write(fds[1], text.data(), text.size()) < 0) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    const bool answered = wait_until([&] { return waitpid(child, nullptr, WNOHANG) == child; }, 5);
    if (!answered) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        text = "the X server did not answer within 5 s";
    } else {
        char buffer[4096];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    return text;
}

}  // namespace

Window find_window(Display* display, const char* name)
{
    Window found = 0;
    each_named(display, DefaultRootWindow(display), name, 2,
               [&](Window window, const XWindowAttributes& attributes) {
                   if (attributes.map_state == IsViewable) found = window;
                   return found != 0;
               });
    return found;
}

std::string Process::state()
{
    std::string text;
    if (pid > 0) {
        text = "still running (threads " + threads_of(pid) + "; " + std::to_string(cpu_seconds()) +
               " s of CPU)";
        if (server_pid > 0) text += ", its X server " + threads_of(server_pid);
    } else if (WIFEXITED(status)) {
        text = "exited with status " + std::to_string(WEXITSTATUS(status));
    } else {
        text = "ended by signal " + std::to_string(WTERMSIG(status));
    }
    if (stderr_fd >= 0) read_stderr();
    text += "\nprinted: \"" + stderr_text + "\"";
    if (display_name.empty()) return text;
    return text + "\nwindows named Velmora: " + velmora_windows(display_name);
}

Pixels grab(Display* display, int x, int y, int width, int height)
{
    Pixels pixels;
    // Off the screen X refuses, and Xlib's handler would end the test.
    if (x < 0 || y < 0 || x + width > DisplayWidth(display, 0) || y + height > DisplayHeight(display, 0))
        return pixels;
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y,
                              static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.width = width;
    pixels.rgb.reserve(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(image, column, row)) & 0xffffff);
    XDestroyImage(image);
    return pixels;
}

Box find_tooltip(Display* display)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Box found;
    // A tooltip may go between the question and the answer.
    const XErrorHandler handler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display, children[i], &a) && a.override_redirect && a.map_state == IsViewable) {
                found = {a.x, a.y, a.width, a.height, ""};
                Atom type = 0;
                int format = 0;
                unsigned long length = 0, left = 0;
                unsigned char* name = nullptr;  // in UTF-8, unlike WM_NAME
                if (XGetWindowProperty(display, children[i], XInternAtom(display, "_NET_WM_NAME", False), 0,
                                       1024, False, AnyPropertyType, &type, &format, &length, &left,
                                       &name) == Success && name && format == 8)
                    found.name.assign(reinterpret_cast<char*>(name), length);
                if (name) XFree(name);
            }
        }
    if (children) XFree(children);
    XSync(display, False);
    XSetErrorHandler(handler);
    return found;
}

std::string read_text(Display* display, const Box& box)
{
    if (std::system("command -v tesseract >/dev/null") != 0)
        return "(no tesseract: scripts/install-deps --test installs it)";
    const Pixels pixels = grab(display, box.x, box.y, box.width, box.height);
    char name[] = "/tmp/velmora-text-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0 || pixels.rgb.empty()) return "";
    std::string image = "P6\n" + std::to_string(box.width) + " " + std::to_string(box.height) + "\n255\n";
    for (std::uint32_t pixel : pixels.rgb) image += {char(pixel >> 16), char(pixel >> 8), char(pixel)};
    const bool written = write(fd, image.data(), image.size()) == static_cast<ssize_t>(image.size());
    close(fd);
    std::string text;
    if (FILE* pipe = written ? popen(("tesseract " + std::string(name) + " - --psm 7 2>/dev/null").c_str(), "r") : nullptr) {
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            if (!std::isspace(c)) text += c == 'O' ? '0' : static_cast<char>(c);
        pclose(pipe);
    }
    unlink(name);
    return text;
}

bool near_colour(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        if (std::abs(difference) > tolerance) return false;
    }
    return true;
}

void move_pointer(Display* display, int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
}

void press_button(Display* display, bool down)
{
    XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
    XSync(display, False);
}

void press_key(Display* display, const char* keysym_name, const char* modifier)
{
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym_name));
    const KeyCode held = modifier ? XKeysymToKeycode(display, XStringToKeysym(modifier)) : 0;
    if (held) XTestFakeKeyEvent(display, held, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (held) XTestFakeKeyEvent(display, held, False, CurrentTime);
    XSync(display, False);
}
