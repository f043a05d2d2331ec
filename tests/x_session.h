// A private X server with software GL, the program under it, and real input:
// what the end-to-end test and the benchmark drive the viewer with.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Xvfb on a free display with one screen of this size, killed when this
// goes out of scope; connected to unless told otherwise (a connection to a
// server that dies ends the process).
struct XServer {
    explicit XServer(const std::vector<std::string>& extra_args = {}, bool connect = true,
                     const std::string& screen = "1024x1024x24");
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool running();  // false once the server has died


    std::string name;  // ":N", empty if Xvfb did not start
    Display* display = nullptr;
    pid_t pid = -1;
};

// A program started on a server (or, without one, where its environment
// says) with these arguments and extra environment ("NAME=value"), its
// output kept, killed if still running.
struct Process {
    Process(const XServer& server, const std::string& path,
            const std::vector<std::string>& args = {},
            const std::vector<std::string>& environment = {});
    Process(const std::string& path, const std::vector<std::string>& args,
            const std::vector<std::string>& environment);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool wait_exit(double seconds);  // true once it has exited
    double cpu_seconds() const;      // CPU time of its live threads so far
    // What a test that gave up waiting on it saw: its status or what it and
    // its server are doing, what it printed, and its windows.
    std::string state();

    pid_t pid = -1;
    int status = 0;                  // wait status, once exited
    long max_rss_kib = 0;            // peak resident memory, once exited
    std::string stderr_text;         // collected as it comes

private:
    void read_stderr();
    int stderr_fd = -1;
    std::string display_name;
    pid_t server_pid = -1;
};

// True once the program has ended within 30 s with this exit status.
bool exited_with(Process& program, int code);

// Input may come before the window is ready for it (under Wine), or go to
// another of the program's windows for a while (the toolkit's zoom shows
// one), so this repeats the action until the program has ended.
bool ends_after(Process& program, const std::function<void()>& action);

double seconds_now();

// Polls until ready() holds or the time runs out; returns ready()'s last answer.
bool wait_until(const std::function<bool()>& ready, double seconds = 30.0);

// A mapped top-level window with this name, or 0; under a window manager,
// the client window in its frame.
Window find_window(Display* display, const char* name);

// 0xRRGGBB pixels of a screen rectangle, row by row; none where it is not
// all on the screen.
struct Pixels {
    int width = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
Pixels grab(Display* display, int x, int y, int width, int height);

// Where Velmora's window lands without a window manager, and its view in it.
constexpr int view_left = 30, view_top = 30, view_size = 700;
constexpr int centre_x = view_left + view_size / 2, centre_y = view_top + view_size / 2;

inline Pixels grab_view(Display* display)
{
    return grab(display, view_left, view_top, view_size, view_size);
}

// Colours of the picture that the tests look for.
constexpr std::uint32_t grey = 0x808080;                  // the background
constexpr std::uint32_t front_at_half_height = 0x604080;  // hue 270, s = v = 0.5
constexpr std::uint32_t cyan_at_half_height = 0x408080;   // hue 180, s = v = 0.5

// True when every channel of a and b differs by at most tolerance.
bool near_colour(std::uint32_t a, std::uint32_t b, int tolerance = 2);

// The toolkit's tooltip: a mapped override-redirect window of its own,
// found by its place and size on the screen, and its name (its words,
// where the toolkit names the window after them, as on Windows); empty
// where none is shown.
struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    std::string name;
    explicit operator bool() const { return width > 1; }
};
Box find_tooltip(Display* display);

// The text on the screen in a rectangle, as tesseract reads it, on one line:
// without spaces, which it may miss, and with 0 for O, which it may see.
std::string read_text(Display* display, const Box& box);

// Real input through XTest.
void move_pointer(Display* display, int x, int y);
void press_button(Display* display, bool down);
void press_key(Display* display, const char* keysym_name, const char* modifier = nullptr);
