#pragma once
// The parts of building a window, timed for the benchmark of the first
// build (bench/layout_bench_wine --cold). Only the benchmark's copy of the
// toolkit (SIGNIN_TIME_BUILD_PARTS) times anything: it tells the benchmark,
// which defines BuildPartBegins and BuildPartEnds, when each part begins and
// ends; a part may hold another (a font is made while a widget is), and the
// benchmark counts each moment for the innermost part only. In the program
// and the tests a TimedPart is nothing.

enum class BuildPart {
    LayoutRead,      // finding the layout resource and reading it
    Properties,      // making the widget objects, setting their properties, binding
    FormWindow,      // the window itself (and its window class, the first time)
    WidgetWindows,   // each widget's window, its font set, its own set-up
    Fonts,           // the fonts, from the font cache
    LabelMeasuring,  // fitting each label to its caption
    ButtonPictures,  // drawing the buttons' pictures
    ZOrder,          // putting each field after its caption for screen readers
    Finishing,       // starting timers, the default-button frame
    Count
};

#ifdef SIGNIN_TIME_BUILD_PARTS
void BuildPartBegins(BuildPart part);
void BuildPartEnds(BuildPart part);

class TimedPart {
public:
    explicit TimedPart(BuildPart part) : part_(part) { BuildPartBegins(part); }
    ~TimedPart() { BuildPartEnds(part_); }
    TimedPart(const TimedPart&) = delete;
    TimedPart& operator=(const TimedPart&) = delete;

private:
    BuildPart part_;
};
#else
class TimedPart {
public:
    explicit TimedPart(BuildPart) {}
};
#endif
