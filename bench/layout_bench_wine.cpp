// The cost of reading and applying each window's layout, measured on the
// real code under Wine: for each of the three windows,
//   - read: layout::ReadLayout on the window's layout resource;
//   - build: constructing the window class and its Build(), which reads the
//     resource, applies every property, binds members and handlers, and
//     creates the window and its controls (hidden);
//   - baseline: the same window made directly with Win32 calls.
// build minus baseline is what the toolkit and its layout add to making the
// window. Each figure is the median of REPS repetitions (build and baseline
// in turn), in microseconds; windows are destroyed outside the timed part.
//
//   layout_bench_wine OUT.md [REPS]
//
// With --cold it instead times, once, in a fresh process, the phases of the
// program's start-up (or of the baseline's) as the first thing the process
// does, so one-time costs (code page tables, first use of each font, the
// common controls) are included, and appends one line to OUT.csv. Each
// phase is timed around the public calls the start-up makes (the program's
// Initialize, CreateForm and Show), so the program is timed as it ships:
//
//   layout_bench_wine --cold program|baseline OUT.csv
//     -> which,initialize_us,form1_us,form2_us,form3_us,show_us

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <vector>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "baseline_windows.h"
#include "clock.h"
#include "layout_stream.h"

namespace {

double NowUs() { return MillisecondsNow() * 1000.0; }

// Handles whatever the windows made or destroyed left in the queue.
void Drain() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times `work` REPS times; `after` (untimed) cleans up after each.
double MedianUs(int reps, const std::function<void()>& work, const std::function<void()>& after) {
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const double start = NowUs();
        work();
        times.push_back(NowUs() - start);
        after();
        Drain();
    }
    return Median(times);
}

struct Resource {
    const std::uint8_t* data;
    DWORD size;
};

Resource LayoutResource(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    return {static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

template <typename Form>
std::function<void()> BuildForm(std::unique_ptr<Form>& slot) {
    return [&slot] {
        slot = std::make_unique<Form>(Application);
        slot->Build();
    };
}

// The start-up of the program or the baseline, phase by phase, as its
// WinMain does it, without the event loop.
int ColdStart(bool program, const wchar_t* outPath) {
    double times[6];
    times[0] = NowUs();
    if (program) {
        Application->Initialize();
        times[1] = NowUs();
        Application->CreateForm(Form1);
        times[2] = NowUs();
        Application->CreateForm(Form2);
        times[3] = NowUs();
        Application->CreateForm(Form3);
        times[4] = NowUs();
        Application->MainForm()->Show();
    } else {
        baseline::Initialize(GetModuleHandleW(nullptr));
        times[1] = NowUs();
        baseline::CreateSignInWindow();
        times[2] = NowUs();
        baseline::CreateWaitWindow();
        times[3] = NowUs();
        baseline::CreateMainWindow();
        times[4] = NowUs();
        baseline::ShowSignInWindow();
    }
    times[5] = NowUs();
    FILE* out = _wfopen(outPath, L"a");
    if (!out) return 2;
    std::fprintf(out, "%s", program ? "program" : "baseline");
    for (int i = 1; i < 6; ++i) std::fprintf(out, ",%.0f", times[i] - times[i - 1]);
    std::fprintf(out, "\n");
    std::fclose(out);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"--cold") == 0)
        return ColdStart(std::wcscmp(argv[2], L"program") == 0, argv[3]);
    if (argc < 2) {
        std::printf("usage: layout_bench_wine OUT.md [REPS]\n");
        return 2;
    }
    const int reps = argc > 2 ? std::max(1, _wtoi(argv[2])) : 200;
    Application->Initialize();
    baseline::Initialize(GetModuleHandleW(nullptr));

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    HWND made = nullptr;
    const auto destroyMade = [&made] {
        DestroyWindow(made);
        made = nullptr;
    };

    struct Window {
        const char* name;
        const wchar_t* resource;
        std::function<void()> build, destroy, makeBaseline;
    };
    const Window windows[] = {
        {"Form1 (sign-in)", L"TFORM1", BuildForm(form1), [&] { form1.reset(); },
         [&] { made = baseline::CreateSignInWindow(); }},
        {"Form2 (wait)", L"TFORM2", BuildForm(form2), [&] { form2.reset(); },
         [&] { made = baseline::CreateWaitWindow(); }},
        {"Form3 (main)", L"TFORM3", BuildForm(form3), [&] { form3.reset(); },
         [&] { made = baseline::CreateMainWindow(); }},
    };

    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 2;
    std::fprintf(out,
                 "| Window (median of %d, µs) | Read | Read + apply (Build) | Baseline makes it | Build − baseline |\n",
                 reps);
    std::fprintf(out, "|---|---:|---:|---:|---:|\n");
    for (const Window& window : windows) {
        const Resource layout = LayoutResource(window.resource);
        // A first round of each, untimed, so every code path and font is warm.
        window.build();
        window.destroy();
        window.makeBaseline();
        destroyMade();
        Drain();

        const double read = MedianUs(
            reps * 10, [&] { layout::ReadLayout(layout.data, layout.size); }, [] {});
        // Build and baseline in turn, so that other work on the machine
        // falls on both alike.
        std::vector<double> builds, bases;
        for (int i = 0; i < reps; ++i) {
            builds.push_back(MedianUs(1, window.build, window.destroy));
            bases.push_back(MedianUs(1, window.makeBaseline, destroyMade));
        }
        const double build = Median(builds);
        const double base = Median(bases);
        std::fprintf(out, "| %s | %.1f | %.1f | %.1f | %.1f |\n", window.name, read, build, base, build - base);
    }
    std::fclose(out);
    return 0;
}
