// The toolkit's floor for the benchmark: Velmora's window and slider around a
// GL view that only clears. A drag redraws it like Velmora's view, and the
// grey follows the pointer so that every frame shows on the screen.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Window.H>
#include <FL/gl.h>

namespace {

struct ClearOnlyView : Fl_Gl_Window {
    ClearOnlyView(int x, int y, int w, int h) : Fl_Gl_Window(x, y, w, h) {}

    void draw() override
    {
        if (!valid()) glViewport(0, 0, pixel_w(), pixel_h());
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    int handle(int event) override
    {
        if (event != FL_PUSH && event != FL_DRAG) return Fl_Gl_Window::handle(event);
        grey = static_cast<float>(Fl::event_x() % 256) / 255.0f;
        redraw();
        return 1;
    }

    float grey = 0.5f;
};

}  // namespace

int main()
{
    Fl_Window window(20, 20, 720, 750, "Velmora");
    window.begin();
    new ClearOnlyView(10, 10, 700, 700);
    auto* slider = new Fl_Slider(10, 720, 700, 20, nullptr);
    slider->type(FL_HOR_NICE_SLIDER);
    slider->value(1.0);
    slider->slider_size(0.02);
    window.end();
    window.show();
    return Fl::run();
}
