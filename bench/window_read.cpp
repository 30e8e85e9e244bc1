// W3: a file read through the window (offscreen), to measure what keeping the
// window responsive costs. Prints the read's seconds; compare with tsl reading
// the same file.
//   QT_QPA_PLATFORM=offscreen bench_window_read FILE [INTERVAL] [DATE-FORMAT]
#include "app/time_zone.h"
#include "app/window/corvane_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_read FILE [INTERVAL] [DATE-FORMAT]\n");
        return 2;
    }
    tsl::pinLocalTimeZone();
    QApplication application(argc, argv);
    tsl::CCorvaneDlg window;
    window.show();
    window.controlAs<QComboBox>(tsl::ControlId::IntervalList)->setCurrentIndex(argc > 2 ? std::atoi(argv[2]) : 4);
    window.controlAs<QComboBox>(tsl::ControlId::DateFormatList)->setCurrentIndex(argc > 3 ? std::atoi(argv[3]) : 1);
    std::string path = argv[1];
    window.setFileDialogProvider([&](tsl::FileDialogMode, tsl::FileRequest& request) {
        request.setChosenPaths({path});
        return true;
    });
    QElapsedTimer timer;
    timer.start();
    window.OnReadCsvData();
    double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("%.3f s, %zu log lines\n", seconds, window.log().size());
    return 0;
}
