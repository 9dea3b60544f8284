#pragma once
// The entry function's steps, callable by tests: title, the three windows in
// order, the event loop; every failure shown, and 0 returned in every case.
#include <functional>

struct StartupHooks {
    // Runs before each window is created (1 entry, 2 study, 3 test); tests make it throw.
    std::function<void(int window)> beforeCreate;
    // Runs right before the event loop; tests drive the windows from here.
    std::function<void()> beforeRun;
};

int StationMain(int& argc, char** argv, const StartupHooks& hooks = {});
