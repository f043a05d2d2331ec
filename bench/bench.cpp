// Reports how Velmora compares with the toolkit's floor (the same window
// around a GL view that only clears), each under its own Xvfb with Mesa's
// software GL. It measures; it does not judge.
#include "x_session.h"

#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int runs = 5;
constexpr int drag_frames = 120;
constexpr double frame_period = 1.0 / 60.0;
constexpr double idle_seconds = 2.0;

// The view's centre row, where both programs' frames differ.
Pixels centre_row(Display* display) { return grab(display, view_left, centre_y, view_size, 1); }

struct Run {
    double start_seconds = 0;  // process start to the first whole frame on screen
    double cpu_per_frame = 0;  // during the paced drag
    double cpu_per_hover = 0;  // per step of a paced hover, the readout following
    double idle_cpu = 0;       // over idle_seconds without input
    double peak_rss_mib = 0;
    int frames_seen = 0;
};

// First whole frame: the view's four corners and centre hold its first picture.
bool first_frame_shown(Display* display, std::uint32_t centre)
{
    const Pixels view = grab_view(display);
    if (view.rgb.empty()) return false;
    const int last = view_size - 1;
    for (std::uint32_t corner : {view.at(0, 0), view.at(last, 0), view.at(0, last), view.at(last, last)})
        if (!near_colour(corner, 0x808080)) return false;
    return near_colour(view.at(view_size / 2, view_size / 2), centre, 3);
}

void sleep_until(double when)
{
    const double wait = when - seconds_now();
    if (wait > 0) usleep(static_cast<useconds_t>(wait * 1e6));
}

bool measure(const std::string& path, std::uint32_t first_centre, Run& run)
{
    XServer server;
    if (!server.display) return false;
    Display* display = server.display;

    const double started = seconds_now();
    Process program(server, path);
    Window window = 0;
    if (!wait_until([&] {
            return (window = find_window(display, "Velmora")) != 0 &&
                   first_frame_shown(display, first_centre);
        }))
        return false;
    run.start_seconds = seconds_now() - started;

    // Let start-up work settle, then watch it do nothing.
    usleep(500000);
    const double idle_from = program.cpu_seconds();
    usleep(static_cast<useconds_t>(idle_seconds * 1e6));
    run.idle_cpu = program.cpu_seconds() - idle_from;

    // A drag sideways at 60 steps a second; each step waits for its frame.
    move_pointer(display, centre_x, centre_y);
    press_button(display, true);
    Pixels shown = centre_row(display);
    const double drag_from = program.cpu_seconds();
    double next = seconds_now();
    for (int step = 1; step <= drag_frames; ++step) {
        move_pointer(display, centre_x + 3 * step, centre_y);
        if (wait_until([&] { return centre_row(display).rgb != shown.rgb; }, 1.0)) ++run.frames_seen;
        shown = centre_row(display);
        next += frame_period;
        sleep_until(next);
    }
    const double drag_cpu = program.cpu_seconds() - drag_from;
    press_button(display, false);
    run.cpu_per_frame = run.frames_seen > 0 ? drag_cpu / run.frames_seen : 0;

    // The pointer rests on the cone until the readout shows, then moves
    // across it at 60 steps a second, the readout following each step.
    const int hover_x = centre_x - drag_frames, hover_y = centre_y - 120;
    move_pointer(display, hover_x, hover_y);
    usleep(600000);
    const double hover_from = program.cpu_seconds();
    next = seconds_now();
    for (int step = 1; step <= drag_frames; ++step) {
        move_pointer(display, hover_x + 2 * step, hover_y);
        next += frame_period;
        sleep_until(next);
    }
    usleep(100000);  // for the last steps' work
    run.cpu_per_hover = (program.cpu_seconds() - hover_from) / drag_frames;

    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    press_key(display, "Escape");
    if (!program.wait_exit(30) || !WIFEXITED(program.status)) return false;
    run.peak_rss_mib = static_cast<double>(program.max_rss_kib) / 1024.0;
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Figures {
    double start_ms, rss_mib, frame_ms, hover_ms, idle_ms;
    int frames_seen;
};

bool collect(const char* name, const std::string& path, std::uint32_t first_centre, Figures& figures)
{
    std::vector<double> start, rss, frame, hover, idle;
    int frames_seen = drag_frames;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!measure(path, first_centre, run)) {
            std::fprintf(stderr, "bench: %s did not run to the end (run %d)\n", name, i + 1);
            return false;
        }
        start.push_back(run.start_seconds * 1e3);
        rss.push_back(run.peak_rss_mib);
        frame.push_back(run.cpu_per_frame * 1e3);
        hover.push_back(run.cpu_per_hover * 1e3);
        idle.push_back(run.idle_cpu * 1e3);
        frames_seen = std::min(frames_seen, run.frames_seen);
    }
    figures = {median(start), median(rss), median(frame), median(hover), median(idle), frames_seen};
    return true;
}

void report(const char* what, const char* unit, double velmora, double floor)
{
    std::printf("%-30s velmora %8.2f %-3s  floor %8.2f %-3s  ", what, velmora, unit, floor, unit);
    if (floor > 0)
        std::printf("ratio %.2f\n", velmora / floor);
    else
        std::printf("ratio -    (floor is 0)\n");
}

}  // namespace

int main()
{
    Figures velmora{}, floor{};
    if (!collect("velmora", VELMORA_PATH, 0x604080, velmora) ||
        !collect("floor", FLOOR_PATH, 0x808080, floor))
        return 1;

    std::printf("Xvfb 1024x1024x24, Mesa software GL, %ld CPUs; median of %d runs each\n",
                sysconf(_SC_NPROCESSORS_ONLN), runs);
    report("start to first frame", "ms", velmora.start_ms, floor.start_ms);
    report("peak resident memory", "MiB", velmora.rss_mib, floor.rss_mib);
    report("CPU per frame, paced drag", "ms", velmora.frame_ms, floor.frame_ms);
    report("CPU per step, paced hover", "ms", velmora.hover_ms, floor.hover_ms);
    report("CPU while idle for 2 s", "ms", velmora.idle_ms, floor.idle_ms);
    std::printf("(drag: %d steps at 60 Hz; fewest frames seen on screen: velmora %d, floor %d)\n",
                drag_frames, velmora.frames_seen, floor.frames_seen);
    return 0;
}
