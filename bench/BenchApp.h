#pragma once

#include "platform/Fonts.h"

#include <QApplication>

// The one QApplication of the benchmark run, on the offscreen platform. It is
// never destroyed: Qt's own statics go before any static of ours would, and a
// QApplication outliving them crashes at exit.
inline QApplication& benchApplication() {
    static QApplication* app = [] {
        static int argc = 1;
        static char name[] = "tanzo_bench";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* created = new QApplication(argc, argv);
        tanzo::installJapaneseFontSubstitutions();
        return created;
    }();
    return *app;
}
