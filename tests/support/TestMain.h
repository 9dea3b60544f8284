#pragma once
// The main of the window tests: the offscreen platform unless another one is
// asked for (QT_QPA_PLATFORM=xcb shows a failing test on a display), a pinned
// density of 120 pixels per inch (the layouts' own), and recording HTML views.
#include "RecordingView.h"

#include "toolkit/Environment.h"

#include <QApplication>
#include <QtTest>

#define STATION_TEST_MAIN(TestClass)                                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                    \
        tk::PrepareProcessEnvironment();                                                                               \
        QApplication app(argc, argv);                                                                                  \
        tk::SetPixelsPerInchOverride(120);                                                                             \
        tk::ApplyApplicationDefaults();                                                                                \
        InstallRecordingViews();                                                                                       \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
